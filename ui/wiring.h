// Binds the handlers of the run dialogs that reach above the forms layer:
// the user-intervention dialog's "НЕ компиляция" button runs the checker's
// unify step, and its lookup button the release search.
#pragma once

#include "context.h"
#include "host.h"
#include "tform2.h"
#include "tform3.h"
#include "tform6.h"
#include "tform7.h"

namespace ui {

// The run dialogs of one program (or test): c takes them as its Form2 and
// Form3, Form2's Button6 is bound to checker::cmprocess and its Button3 to
// `discogs` with the lookup's windows. The objects must outlive the binding.
void bindrundialogs(checker::context& c, forms::TForm2& form2, forms::TForm3& form3,
                    forms::TForm6& form6, forms::TForm7& form7);

// Form2's lookup button: searches with the artist, album and year of the
// three fields; when a release is taken, every enabled field receives its
// value. A lookup failure (lookup::lookuperror) is not caught: it reaches the
// application's error box through the host's handler, the fields unchanged.
void discogs(forms::host& host, forms::TForm2& form2, forms::TForm6& form6, forms::TForm7& form7);

} // namespace ui
