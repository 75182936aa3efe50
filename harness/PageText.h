// Page files: a small text form of the page model, so a test or a scenario can describe the
// pages the stand-in browser shows.
//
// A page file is UTF-8 text, one statement a line. Blank lines and lines whose first
// non-blank character is '#' are ignored; a line's trailing carriage return is dropped.
//
//   page NAME              begins a page called NAME; a file may hold several pages, and
//                          the first one (which needs no `page` line) is the file's main page
//   url ADDRESS            the page's address: the rest of the line
//   title TEXT             the page's title: the rest of the line, possibly empty
//   input TYPE NAME VALUE  an input element of type TYPE (text, password, hidden, ...);
//                          NAME is one word, "-" for a field without a name and "" for an
//                          empty name; VALUE is the rest of the line, possibly empty
//   element TAG            any other element (div, form, textarea, ...)
//   frame TAG TARGET       a frame element with tag TAG (frame or iframe, any letter case)
//                          and its frame window, which shows TARGET: a page of the same file
//                          called TARGET, else the page file TARGET, relative to this file
//
// Elements stand in document order; frame windows in the order of their frame lines. A page
// may show itself or an enclosing page in a frame. Each file is read once per model: later
// references to it reach the same pages.
//
// Example:
//   title Sign in
//   input text user alice
//   input password pass
//   frame iframe help
//   page help
//   url https://www.example.com/help
//   element p
#pragma once

#include <string>
#include <string_view>

#include "harness/PageModel.h"

namespace keyvale::harness {

// Loads the page file at `path` (and the files its frames name) into `model`. The main page
// gets the address `url` unless it is empty. Null on failure, with `error` saying
// "FILE:LINE: what" (the model may then hold some pages of the failed file).
ModelDocument* LoadPageFile(PageModel& model, const std::string& path, std::u16string_view url,
                            std::string& error);

// The same for a text in memory; `path` names it, and frame files are found beside it.
ModelDocument* LoadPageText(PageModel& model, std::string_view text, const std::string& path,
                            std::u16string_view url, std::string& error);

// UTF-8 to UTF-16; malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace keyvale::harness
