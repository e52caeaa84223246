// The folder tag editor: every MP3 file of one folder with its tags in a
// table, the working copy that the all-tracks dialog and the track list
// change and that the write button puts into the files. Filling the table,
// the all-tracks dialog and the write start work above this layer: those
// onclick slots are bound by the program; the enable rules live here.
#pragma once

#include <string>
#include <vector>

#include "form.h"
#include "tform11.h"

namespace forms {

// The sub-items of a row of the editor's table, by column after the file name.
enum editorcolumn : std::size_t {
    coltitle = 0,
    colartist = 1,
    colalbum = 2,
    colyear = 3,
    coltrno = 4,
    colgenre = 5, // shown, never changed or written
};

class TForm10 : public form {
public:
    // alltracks: the all-tracks dialog whose track-list button `init` resets;
    // may be null.
    explicit TForm10(TForm11* alltracks = nullptr);

    listview ListView1; // one row per file: its name as text, then the editorcolumn sub-items
    label Label1;       // hidden: the folder's full path as its report line holds it
    button Button1;     // "Изменить теги": the all-tracks dialog
    button Button2;     // "Внести изменения": the write
    button Button4;     // "Отмена": reread from disk
    button Button3;     // "Закрыть": ends with 1, or 6 after a write

    TForm11* alltracks = nullptr;

    // Each row's file name as the disk has it: what is read, written and
    // compared. The table shows it as text, which may read otherwise.
    std::vector<std::u16string> files;

    // The rows' artists, or albums, do not all agree (set by the all-tracks
    // edit, read by its lookup).
    bool artistsdiffer = false;
    bool albumsdiffer = false;

    // The files this showing of the editor has written: only their planned
    // tag writes are superseded afterwards.
    std::vector<std::u16string> written;

    // Every time the editor is shown: "Закрыть" gives 1, nothing to write or
    // to revert, the track-list button of the all-tracks dialog disabled, no
    // file written yet.
    void init();
    // Edits waiting: write and revert both offered; or neither.
    void arm();
    void disarm();
    // Label1's folder with a trailing "/".
    std::u16string folder() const;
};

} // namespace forms
