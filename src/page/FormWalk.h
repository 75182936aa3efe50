// The walk over a page's login-form fields: every text and password input of a document and
// of its frame documents, in document order, either recorded into a site record or filled
// from it.
#pragma once

#include "markup/MarkupDoc.h"
#include "page/BrowserHost.h"

namespace keyvale {

// Frame documents nested deeper than this are not walked, so a page whose frames hold
// themselves cannot exhaust the stack. Real pages stay far below it.
inline constexpr int kMaxFrameDepth = 16;

// Visits the elements of `document` (its collection of all elements is `elements`).
// `store`'s main element is a Site record; the walk works only on its children.
//   recording: every text or password field is appended as an input record (type, name,
//              value) after the current child, so records follow page order;
//   filling:   every named text or password field takes the value of the first input
//              record of the same name (ignoring letter case); password fields are then
//              selected.
// A frame or iframe element walks every frame window of `document`, at its place. Failing
// browser operations skip the element or frame concerned. Always returns true.
bool WalkFormFields(PageDocument& document, ElementCollection& elements, MarkupDoc& store,
                    bool recording);

}  // namespace keyvale
