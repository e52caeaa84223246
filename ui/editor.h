// The folder tag editor (Form10) and its all-tracks dialog (Form11): the
// handlers that read and write the folder's files and look the release up.
// The editor writes the files itself, outside the operation list, through
// the same crash-safe tag rewrite as Apply.
#pragma once

#include "program.h"

namespace ui {

// Binds the editor's and the dialog's buttons to the handlers below.
void bindeditor(program& p);

// Fills the editor's table from the folder that Form10.Label1 names: one row
// per "*.mp3" file in search order, its name shown as text (its bytes kept in
// Form10.files), with the tags read from it; proposes the
// dialog's artist, album and year from the folder's name.
void listfoldertags(program& p);
// "Изменить теги": proposes the rows' prevailing artist and album and their
// greatest year in the dialog, with every "Не менять" box ticked, shows it,
// and on Ok gives every row the values whose box the user unticked. Sets
// Form10's artistsdiffer and albumsdiffer.
void massedit(program& p);
// "Внести изменения": writes every row's artist, title, album, year and track
// number into its file (genre and compilation flag kept), with the progress
// window up and the editor inert. A file that could not be written is named
// in an error box and its row shows what its file holds again; only written
// files count in Form10.written, and "Закрыть" gives 6 when any was written.
void writetags(program& p);
// "Отмена": the table read from disk again; nothing left to write or revert.
void reread(program& p);

// The dialog's lookup: searches with its three fields; a release taken fills
// them, unticks each box whose value changed (or whose rows disagree), and
// offers its track list when it has a line for every row. A lookup failure
// is not caught (it reaches the error box).
void discogs(program& p);
// The dialog's Ok: unless every box is ticked, arms the editor's write and
// gives each row without a title its file name without the extension.
void compare(program& p);
// "Взять треклист": titles (and missing track numbers) from the fetched track
// list, by sound or else by order. Nothing when the list is empty; when it
// has fewer lines than the table has rows, the button is hidden and nothing
// else happens.
void filltitles(program& p);

} // namespace ui
