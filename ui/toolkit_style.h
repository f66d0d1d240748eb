// Fitting the toolkit's own look to the dialog templates.
#pragma once

// Where the toolkit draws controls with more room around their text than the
// templates were drawn for (GTK's check boxes, buttons and edit fields), sets
// a compact style for this program's windows, so every text fits the size its
// template gives it. Does nothing where the native controls already fit, and
// nothing when the toolkit cannot be told. Call once, after wxWidgets starts.
void FitToolkitStyleToTemplates();

// Where the toolkit shows message boxes without the icon their kind has on
// Windows (GTK 3 dropped it), gives every box of this program its icon: a
// warning, a question, an error or information. Does nothing where boxes
// already show one, and nothing when the toolkit cannot be told. Call once,
// after wxWidgets starts.
void GiveMessageBoxesTheirIcons();

class wxTextCtrl;

// Gives a read-only single-line field the look it has on Windows, where the
// toolkit draws it as if it took typing (GTK: white, with a caret): the
// dialog's ground and no caret. Does nothing to an editable field, nor where
// the toolkit already draws it so.
void LookReadOnly(wxTextCtrl* field);
