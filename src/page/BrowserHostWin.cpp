#include "page/BrowserHostWin.h"

#include <mshtml.h>

#include "win/WinRaii.h"

namespace keyvale {
namespace {

using win::com_ptr;
using win::unique_bstr;
using win::unique_secret_bstr;
using win::unique_variant;

template <typename Bstr>
std::u16string Text(const Bstr& s) {
    return win::U16(s.get(), ::SysStringLen(s.get()));
}

template <typename Bstr>
Bstr MakeBstr(std::u16string_view text) {
    const std::wstring_view w = win::WView(text);
    return Bstr(::SysAllocStringLen(w.data(), static_cast<UINT>(w.size())));
}

// Reads a string property; none when the call fails. A null string reads as empty.
template <typename Interface, typename Getter>
std::optional<std::u16string> ReadString(Interface* object, Getter getter) {
    unique_bstr s;
    if (FAILED((object->*getter)(s.put()))) return std::nullopt;
    return Text(s);
}

class WebInput final : public PageInput {
public:
    explicit WebInput(com_ptr<IHTMLInputElement> input) : input_(std::move(input)) {}

    std::optional<std::u16string> Type() override {
        return ReadString(input_.get(), &IHTMLInputElement::get_type);
    }
    std::optional<PageString> Name() override {
        unique_bstr s;
        if (FAILED(input_->get_name(s.put()))) return std::nullopt;
        return PageString{Text(s), s.get() == nullptr};
    }
    std::optional<std::u16string> Value() override {
        unique_secret_bstr s;
        if (FAILED(input_->get_value(s.put()))) return std::nullopt;
        return Text(s);
    }
    bool SetValue(std::u16string_view value) override {
        unique_secret_bstr s = MakeBstr<unique_secret_bstr>(value);
        return s && SUCCEEDED(input_->put_value(s.get()));
    }
    bool Select() override { return SUCCEEDED(input_->select()); }

private:
    com_ptr<IHTMLInputElement> input_;
};

class WebElement final : public PageElement {
public:
    explicit WebElement(com_ptr<IHTMLElement> element) : element_(std::move(element)) {}

    std::optional<std::u16string> TagName() override {
        return ReadString(element_.get(), &IHTMLElement::get_tagName);
    }
    std::unique_ptr<PageInput> AsInput() override {
        com_ptr<IHTMLInputElement> input;
        if (FAILED(element_.query(input)) || !input) return nullptr;
        return std::make_unique<WebInput>(std::move(input));
    }

private:
    com_ptr<IHTMLElement> element_;
};

class WebElementCollection final : public ElementCollection {
public:
    explicit WebElementCollection(com_ptr<IHTMLElementCollection> elements)
        : elements_(std::move(elements)) {}

    std::optional<std::int32_t> Length() override {
        LONG length = 0;
        if (FAILED(elements_->get_length(&length))) return std::nullopt;
        return static_cast<std::int32_t>(length);
    }
    // The position is given both as the name and as the index, as 4-byte integers.
    std::unique_ptr<PageElement> Item(std::int32_t index) override {
        unique_variant name, position;
        name->vt = VT_I4;
        name->lVal = index;
        position->vt = VT_I4;
        position->lVal = index;
        com_ptr<IDispatch> item;
        if (FAILED(elements_->item(*name.get(), *position.get(), item.put())) || !item) {
            return nullptr;
        }
        com_ptr<IHTMLElement> element;
        if (FAILED(item.query(element)) || !element) return nullptr;
        return std::make_unique<WebElement>(std::move(element));
    }

private:
    com_ptr<IHTMLElementCollection> elements_;
};

std::unique_ptr<PageDocument> MakeDocument(com_ptr<IHTMLDocument2> document);

class WebFrameCollection final : public FrameCollection {
public:
    explicit WebFrameCollection(com_ptr<IHTMLFramesCollection2> frames)
        : frames_(std::move(frames)) {}

    std::optional<std::int32_t> Length() override {
        LONG length = 0;
        if (FAILED(frames_->get_length(&length))) return std::nullopt;
        return static_cast<std::int32_t>(length);
    }
    // The frame window comes as a dispatch variant; its document is the frame's page.
    std::unique_ptr<PageDocument> FrameDocument(std::int32_t index) override {
        unique_variant position, result;
        position->vt = VT_UINT;
        position->uintVal = static_cast<UINT>(index);
        if (FAILED(frames_->item(position.get(), result.get()))) return nullptr;
        if (result->vt != VT_DISPATCH || !result->pdispVal) return nullptr;
        com_ptr<IHTMLWindow2> window;
        if (FAILED(com_ptr<IDispatch>(result->pdispVal).query(window)) || !window) return nullptr;
        com_ptr<IHTMLDocument2> document;
        if (FAILED(window->get_document(document.put())) || !document) return nullptr;
        return MakeDocument(std::move(document));
    }

private:
    com_ptr<IHTMLFramesCollection2> frames_;
};

class WebDocument final : public PageDocument {
public:
    explicit WebDocument(com_ptr<IHTMLDocument2> document) : document_(std::move(document)) {}

    std::optional<std::u16string> Url() override {
        return ReadString(document_.get(), &IHTMLDocument2::get_URL);
    }
    std::optional<std::u16string> Title() override {
        return ReadString(document_.get(), &IHTMLDocument2::get_title);
    }
    std::unique_ptr<ElementCollection> All() override {
        com_ptr<IHTMLElementCollection> elements;
        if (FAILED(document_->get_all(elements.put())) || !elements) return nullptr;
        return std::make_unique<WebElementCollection>(std::move(elements));
    }
    std::unique_ptr<FrameCollection> Frames() override {
        com_ptr<IHTMLFramesCollection2> frames;
        if (FAILED(document_->get_frames(frames.put())) || !frames) return nullptr;
        return std::make_unique<WebFrameCollection>(std::move(frames));
    }

private:
    com_ptr<IHTMLDocument2> document_;
};

std::unique_ptr<PageDocument> MakeDocument(com_ptr<IHTMLDocument2> document) {
    return std::make_unique<WebDocument>(std::move(document));
}

class WebPageWindow final : public PageWindow {
public:
    explicit WebPageWindow(HWND window) : window_(window) {}

    void Send(const KeyStroke& stroke) override {
        ::SendMessageW(window_, static_cast<UINT>(stroke.message), stroke.key, stroke.keyData);
    }

private:
    HWND window_;  // owned by the browser
};

class WebBrowserHost final : public Browser {
public:
    explicit WebBrowserHost(com_ptr<IWebBrowser2> browser) : browser_(std::move(browser)) {}

    void Navigate(std::u16string_view url) override {
        unique_bstr address = MakeBstr<unique_bstr>(url);
        if (!address) return;
        browser_->Navigate(address.get(), nullptr, nullptr, nullptr, nullptr);
    }
    std::optional<std::int32_t> ReadyState() override {
        READYSTATE state = READYSTATE_UNINITIALIZED;
        if (FAILED(browser_->get_ReadyState(&state))) return std::nullopt;
        return static_cast<std::int32_t>(state);
    }
    std::unique_ptr<PageDocument> Document() override {
        com_ptr<IDispatch> dispatch;
        if (FAILED(browser_->get_Document(dispatch.put())) || !dispatch) return nullptr;
        com_ptr<IHTMLDocument2> document;
        if (FAILED(dispatch.query(document)) || !document) return nullptr;
        return MakeDocument(std::move(document));
    }
    // Under the top-level window: the first "Shell DocObject View", and under it the first
    // "Internet Explorer_Server".
    std::unique_ptr<PageWindow> FindPageWindow() override {
        SHANDLE_PTR handle = 0;
        if (browser_->get_HWND(&handle) != S_OK) return nullptr;
        const HWND top = reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle));
        if (!top) return nullptr;  // a null parent would search every top-level window
        const HWND view = ::FindWindowExW(top, nullptr, L"Shell DocObject View", nullptr);
        if (!view) return nullptr;
        const HWND page = ::FindWindowExW(view, nullptr, L"Internet Explorer_Server", nullptr);
        if (!page) return nullptr;
        return std::make_unique<WebPageWindow>(page);
    }

private:
    com_ptr<IWebBrowser2> browser_;
};

}  // namespace

std::unique_ptr<Browser> MakeWebBrowserHost(IWebBrowser2* browser) {
    if (!browser) return nullptr;
    return std::make_unique<WebBrowserHost>(com_ptr<IWebBrowser2>(browser));
}

}  // namespace keyvale
