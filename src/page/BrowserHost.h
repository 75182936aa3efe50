// The browser as the system sees it: exactly the operations the band and the page code
// use. The Windows adapter implements it over IWebBrowser2 and the HTML document
// interfaces; tests implement it over an in-memory page model. Every operation may fail:
// an empty optional or a null pointer means the call failed or gave nothing, and the step
// that needed it ends quietly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace keyvale {

// A text the page reports where "no string at all" differs from an empty one.
struct PageString {
    std::u16string text;
    bool absent = false;  // the page gave a null string
};

// An input field (IHTMLInputElement).
class PageInput {
public:
    virtual ~PageInput() = default;
    virtual std::optional<std::u16string> Type() = 0;
    virtual std::optional<PageString> Name() = 0;
    virtual std::optional<std::u16string> Value() = 0;
    virtual bool SetValue(std::u16string_view value) = 0;
    virtual bool Select() = 0;
};

// An element of a document (IHTMLElement).
class PageElement {
public:
    virtual ~PageElement() = default;
    virtual std::optional<std::u16string> TagName() = 0;
    // The same element as an input field; null when it is none.
    virtual std::unique_ptr<PageInput> AsInput() = 0;
};

// A document's elements in document order (IHTMLElementCollection).
class ElementCollection {
public:
    virtual ~ElementCollection() = default;
    virtual std::optional<std::int32_t> Length() = 0;
    // Null when the fetch fails, yields nothing or is not an element.
    virtual std::unique_ptr<PageElement> Item(std::int32_t index) = 0;
};

class PageDocument;

// A document's frame windows (IHTMLFramesCollection2 of IHTMLWindow2).
class FrameCollection {
public:
    virtual ~FrameCollection() = default;
    virtual std::optional<std::int32_t> Length() = 0;
    // The document of frame window `index`; null when the window or its document cannot
    // be had.
    virtual std::unique_ptr<PageDocument> FrameDocument(std::int32_t index) = 0;
};

// An HTML document (IHTMLDocument2).
class PageDocument {
public:
    virtual ~PageDocument() = default;
    virtual std::optional<std::u16string> Url() = 0;
    virtual std::optional<std::u16string> Title() = 0;
    virtual std::unique_ptr<ElementCollection> All() = 0;
    virtual std::unique_ptr<FrameCollection> Frames() = 0;
};

// The keyboard messages the system sends to the page window.
enum class KeyMessage : std::uint32_t { KeyDown = 0x0100, KeyUp = 0x0101, Char = 0x0102 };

struct KeyStroke {
    KeyMessage message;
    std::uint32_t key;      // the message's first parameter: virtual key or character
    std::uint32_t keyData;  // the second: repeat count, scan code and state bits
};

// The window that shows the page and takes its keyboard input.
class PageWindow {
public:
    virtual ~PageWindow() = default;
    // Sends synchronously: the page has handled the message when this returns.
    virtual void Send(const KeyStroke& stroke) = 0;
};

// The browser of the window that hosts the band (IWebBrowser2).
class Browser {
public:
    virtual ~Browser() = default;
    virtual void Navigate(std::u16string_view url) = 0;
    virtual std::optional<std::int32_t> ReadyState() = 0;
    // The current document; null when there is none or it is not an HTML document.
    virtual std::unique_ptr<PageDocument> Document() = 0;
    // The page window under the browser's top-level window; null when the top-level
    // window cannot be had or either window of the chain is missing.
    virtual std::unique_ptr<PageWindow> FindPageWindow() = 0;
};

inline constexpr std::int32_t kReadyStateComplete = 4;

}  // namespace keyvale
