#pragma once

#include <string>
#include <string_view>

namespace kelvasta {

// Appends `text` as the content of a spreadsheet text element, so that an
// Office Open XML reader gets the same characters back: &, < and > as
// entities, a carriage return as &#13; (a parser would make a bare one a
// line feed), the characters XML cannot hold (controls other than tab and
// line feed, U+FFFE, U+FFFF) as Excel's "_xHHHH_" escapes, and the "_" of a
// text that reads like such an escape as "_x005F_". A byte that starts no
// valid UTF-8 sequence becomes U+FFFD.
void AppendOoxmlText(std::string& out, std::string_view text);

// True when a spreadsheet reader would trim the text unless told to keep its
// blanks (xml:space="preserve"): it starts or ends with a blank or holds a
// line break or tab.
bool KeepsBlanks(std::string_view text);

}  // namespace kelvasta
