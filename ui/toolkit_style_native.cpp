// Toolkits whose native controls are the ones the templates were drawn for.
#include "ui/toolkit_style.h"

void FitToolkitStyleToTemplates() {}

void GiveMessageBoxesTheirIcons() {}

void LookReadOnly(wxTextCtrl*) {}
