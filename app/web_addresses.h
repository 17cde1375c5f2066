#pragma once

#include <QString>

namespace kelvasta {

// The project's home page.
inline constexpr char kHomePageAddress[] = "https://kelvasta.org/";

// The help and the tutorial are pages that ship with the program; these give
// their file addresses, found beside an installed program or, in a build
// tree, in the sources.
QString HelpPageAddress();
QString TutorialPageAddress();

}  // namespace kelvasta
