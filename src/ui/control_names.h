// What the accessibility layer calls the controls of the main window. The
// pictures show these captions; the controls carry them as window text that
// nothing draws, so a screen reader can name what the eye reads.
#pragma once
#include <vector>

// An option check box, the picture label beside it and the caption the label shows.
struct OptionLabel {
  int box;
  int label;
  const char* caption;
};
extern const OptionLabel kOptionLabels[6];

// The check box a picture label belongs to, or 0; the label of a check box, or 0.
int OptionBoxOfLabel(int label);
int LabelOfOptionBox(int box);

struct ControlName {
  int id;
  const char* name;
};
// Every named control: the picture buttons and the link, each option box and
// its label, and the text labels that name the two edits and the service list.
std::vector<ControlName> ControlNames();
