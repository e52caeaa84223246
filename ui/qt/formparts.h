// What the pieces of formview share: widget casts and caption text.
#pragma once

#include <QItemSelectionModel>
#include <QListView>
#include <QString>
#include <string>

#include "controls.h"
#include "qtext.h"
#include "tform5.h" // linklabel

namespace uiqt {

using forms::kind;

// Captions are literal texts: an ampersand is no mnemonic.
inline QString literal(const std::u16string& s) {
    QString q = qs(s);
    q.replace(QLatin1Char('&'), QLatin1String("&&"));
    return q;
}

template <typename T>
T& as(forms::control& c) {
    return static_cast<T&>(c);
}

inline int selectedrow(const QAbstractItemView* v) {
    const QModelIndexList rows = v->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace uiqt
