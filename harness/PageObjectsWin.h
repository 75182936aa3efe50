// The stand-in browser's HTML document model: COM objects answering IHTMLDocument2,
// IHTMLElementCollection, IHTMLElement, IHTMLInputElement, IHTMLFramesCollection2 and
// IHTMLWindow2 over the page model. They read and change the model as a page would (a
// put_value changes the element's value), and misbehave as its faults say. Members the system
// never calls answer E_NOTIMPL.
//
// The form of the arguments is checked: IHTMLElementCollection::item takes a position as a
// VT_I4 variant in both arguments, IHTMLFramesCollection2::item a VT_UINT variant; other
// forms answer E_INVALIDARG. A position past the end gives S_OK and nothing (elements) or
// E_INVALIDARG (frames). Each item call makes a new object for the element or window.
//
// The model must outlive every object made here.
#pragma once

#include "win/WinPrelude.h"

#include <mshtml.h>

#include "harness/PageModel.h"

namespace keyvale::harness {

// A document object over `document`, with one reference for the caller. A document with the
// NotHtml fault answers only IUnknown and IDispatch.
HRESULT CreatePageDocument(ModelDocument& document, IDispatch** out);

}  // namespace keyvale::harness
