#pragma once

class QWidget;

namespace kelvasta {

class ControlFactory;
struct Controls;

// Each builder creates the controls of one region of the form inside its
// parent, at the form's twip positions, and records them in Controls.
// Builders only lay out; behaviour is wired by the main window.

// Upper data panels (each 7395 x 3405 twips unless stated).
void BuildValueListPanel(QWidget* picture2, Controls& c, ControlFactory& f);   // Picture2
void BuildGroupListPanel(QWidget* picture6, Controls& c, ControlFactory& f);   // Picture6
void BuildCountTablePanel(QWidget* picture8, Controls& c, ControlFactory& f);  // Picture8
void BuildRxcTablePanel(QWidget* picture7, Controls& c, ControlFactory& f);    // Picture7
void BuildOrdinalTablePanel(QWidget* picture9, Controls& c, ControlFactory& f);  // Picture9

// Lower result panels Picture4(0..7), 7395 x 2475 twips each.
void BuildSummaryTPanel(QWidget* panel, Controls& c, ControlFactory& f);       // test 0
void BuildPairedTPanel(QWidget* panel, Controls& c, ControlFactory& f);        // test 1
void BuildAnovaPanel(QWidget* panel, Controls& c, ControlFactory& f);          // test 2
void BuildFourfoldPanel(QWidget* panel, Controls& c, ControlFactory& f);       // test 3
void BuildPairedChiSquarePanel(QWidget* panel, Controls& c, ControlFactory& f);  // test 4
void BuildRxcResultPanel(QWidget* panel, Controls& c, ControlFactory& f);      // test 5
void BuildCorrelationPanel(QWidget* panel, Controls& c, ControlFactory& f);    // test 6
void BuildOrdinalResultPanel(QWidget* panel, Controls& c, ControlFactory& f);  // test 7

// The calculator keys inside Frame4, and the tool-strip items inside Frame1.
void BuildCalculator(QWidget* frame4, Controls& c, ControlFactory& f);
void BuildToolStrip(QWidget* frame1, Controls& c, ControlFactory& f);

}  // namespace kelvasta
