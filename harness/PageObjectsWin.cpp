#include "harness/PageObjectsWin.h"

#include <new>

#include "harness/ComObjectWin.h"
#include "harness/ComStubsWin.h"
#include "win/WinRaii.h"

namespace keyvale::harness {
namespace {

using win::com_ptr;

// A string property as the model's faults have it.
HRESULT GetString(const Faults& faults, PageOp op, const std::u16string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    switch (faults.Of(op)) {
        case Fault::Error: return E_FAIL;
        case Fault::Empty: return S_OK;
        case Fault::None: break;
    }
    const std::wstring_view w = win::WView(text);
    *out = ::SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::u16string FromBstr(BSTR s) { return win::U16(s, ::SysStringLen(s)); }

// One element of a document: IHTMLElement and, for inputs, IHTMLInputElement.
class PageElementObject final : public ComObject<HtmlElementStub, HtmlInputElementStub> {
public:
    PageElementObject(ModelDocument& document, std::size_t index)
        : document_(document), index_(index) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        ModelElement& e = element();
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            return Answer(static_cast<IHTMLElement*>(this), out);
        }
        if (riid == __uuidof(IHTMLElement) && !e.faults.Any(PageOp::NotElement)) {
            return Answer(static_cast<IHTMLElement*>(this), out);
        }
        if (riid == __uuidof(IHTMLInputElement) && e.IsInput() &&
            !e.faults.Any(PageOp::NotInput)) {
            return Answer(static_cast<IHTMLInputElement*>(this), out);
        }
        return E_NOINTERFACE;
    }

    // IHTMLElement
    STDMETHODIMP get_tagName(BSTR* p) override {
        return GetString(element().faults, PageOp::TagName, element().tagName, p);
    }

    // IHTMLInputElement
    STDMETHODIMP get_type(BSTR* p) override {
        return GetString(element().faults, PageOp::Type, element().type, p);
    }
    STDMETHODIMP get_name(BSTR* p) override {
        ModelElement& e = element();
        if (!e.name) {
            if (!p) return E_POINTER;
            *p = nullptr;
            return e.faults.Of(PageOp::Name) == Fault::Error ? E_FAIL : S_OK;
        }
        return GetString(e.faults, PageOp::Name, *e.name, p);
    }
    STDMETHODIMP get_value(BSTR* p) override {
        return GetString(element().faults, PageOp::Value, element().value, p);
    }
    STDMETHODIMP put_value(BSTR v) override {
        ModelElement& e = element();
        if (e.faults.Any(PageOp::SetValue)) return E_FAIL;
        e.value = FromBstr(v);
        ++e.valueWrites;
        return S_OK;
    }
    STDMETHODIMP select() override {
        ModelElement& e = element();
        if (e.faults.Any(PageOp::Select)) return E_FAIL;
        e.selected = true;
        return S_OK;
    }

private:
    ModelElement& element() { return document_.elements[index_]; }

    ModelDocument& document_;
    std::size_t index_;
};

class PageElementsObject final : public ComObject<HtmlElementCollectionStub> {
public:
    explicit PageElementsObject(ModelDocument& document) : document_(document) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch ||
            riid == __uuidof(IHTMLElementCollection)) {
            return Answer(static_cast<IHTMLElementCollection*>(this), out);
        }
        return E_NOINTERFACE;
    }

    STDMETHODIMP get_length(LONG* p) override {
        if (!p) return E_POINTER;
        if (document_.faults.Any(PageOp::AllLength)) return E_FAIL;
        *p = static_cast<LONG>(document_.elements.size());
        return S_OK;
    }
    STDMETHODIMP item(VARIANT name, VARIANT index, IDispatch** p) override {
        if (!p) return E_POINTER;
        *p = nullptr;
        if (name.vt != VT_I4 || index.vt != VT_I4) return E_INVALIDARG;
        if (name.lVal < 0 || static_cast<std::size_t>(name.lVal) >= document_.elements.size()) {
            return S_OK;
        }
        const auto position = static_cast<std::size_t>(name.lVal);
        switch (document_.elements[position].faults.Of(PageOp::Item)) {
            case Fault::Error: return E_FAIL;
            case Fault::Empty: return S_OK;
            case Fault::None: break;
        }
        auto* element = new (std::nothrow) PageElementObject(document_, position);
        if (!element) return E_OUTOFMEMORY;
        *p = static_cast<IHTMLElement*>(element);
        return S_OK;
    }

private:
    ModelDocument& document_;
};

// A frame window: IHTMLWindow2 with the frame's document.
class PageWindowObject final : public ComObject<HtmlWindow2Stub> {
public:
    PageWindowObject(ModelDocument& parent, std::size_t index) : parent_(parent), index_(index) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            return Answer(static_cast<IHTMLWindow2*>(this), out);
        }
        if ((riid == __uuidof(IHTMLWindow2) || riid == __uuidof(IHTMLFramesCollection2)) &&
            !frame().faults.Any(PageOp::NotWindow)) {
            return Answer(static_cast<IHTMLWindow2*>(this), out);
        }
        return E_NOINTERFACE;
    }

    STDMETHODIMP get_document(IHTMLDocument2** p) override {
        if (!p) return E_POINTER;
        *p = nullptr;
        const ModelFrame& f = frame();
        switch (f.faults.Of(PageOp::WindowDocument)) {
            case Fault::Error: return E_FAIL;
            case Fault::Empty: return S_OK;
            case Fault::None: break;
        }
        if (!f.document) return S_OK;
        com_ptr<IDispatch> document;
        KV_RETURN_IF_FAILED(CreatePageDocument(*f.document, document.put()));
        return document->QueryInterface(__uuidof(IHTMLDocument2), reinterpret_cast<void**>(p));
    }

private:
    const ModelFrame& frame() const { return parent_.frames[index_]; }

    ModelDocument& parent_;
    std::size_t index_;
};

class PageFramesObject final : public ComObject<HtmlFramesCollection2Stub> {
public:
    explicit PageFramesObject(ModelDocument& document) : document_(document) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch ||
            riid == __uuidof(IHTMLFramesCollection2)) {
            return Answer(static_cast<IHTMLFramesCollection2*>(this), out);
        }
        return E_NOINTERFACE;
    }

    STDMETHODIMP get_length(LONG* p) override {
        if (!p) return E_POINTER;
        if (document_.faults.Any(PageOp::FramesLength)) return E_FAIL;
        *p = static_cast<LONG>(document_.frames.size());
        return S_OK;
    }
    STDMETHODIMP item(VARIANT* index, VARIANT* result) override {
        if (!index || !result) return E_POINTER;
        ::VariantInit(result);
        if (index->vt != VT_UINT || index->uintVal >= document_.frames.size()) return E_INVALIDARG;
        const std::size_t position = index->uintVal;
        switch (document_.frames[position].faults.Of(PageOp::FrameItem)) {
            case Fault::Error: return E_FAIL;
            case Fault::Empty:
                result->vt = VT_DISPATCH;
                result->pdispVal = nullptr;
                return S_OK;
            case Fault::None: break;
        }
        auto* window = new (std::nothrow) PageWindowObject(document_, position);
        if (!window) return E_OUTOFMEMORY;
        result->vt = VT_DISPATCH;
        result->pdispVal = static_cast<IHTMLWindow2*>(window);
        return S_OK;
    }

private:
    ModelDocument& document_;
};

class PageDocumentObject final : public ComObject<HtmlDocument2Stub> {
public:
    explicit PageDocumentObject(ModelDocument& document) : document_(document) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            return Answer(static_cast<IHTMLDocument2*>(this), out);
        }
        if ((riid == __uuidof(IHTMLDocument2) || riid == __uuidof(IHTMLDocument)) &&
            !document_.faults.Any(PageOp::NotHtml)) {
            return Answer(static_cast<IHTMLDocument2*>(this), out);
        }
        return E_NOINTERFACE;
    }

    STDMETHODIMP get_URL(BSTR* p) override {
        return GetString(document_.faults, PageOp::Url, document_.url, p);
    }
    STDMETHODIMP get_title(BSTR* p) override {
        return GetString(document_.faults, PageOp::Title, document_.title, p);
    }
    STDMETHODIMP get_all(IHTMLElementCollection** p) override {
        if (!p) return E_POINTER;
        *p = nullptr;
        switch (document_.faults.Of(PageOp::All)) {
            case Fault::Error: return E_FAIL;
            case Fault::Empty: return S_OK;
            case Fault::None: break;
        }
        *p = new (std::nothrow) PageElementsObject(document_);
        return *p ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_frames(IHTMLFramesCollection2** p) override {
        if (!p) return E_POINTER;
        *p = nullptr;
        switch (document_.faults.Of(PageOp::Frames)) {
            case Fault::Error: return E_FAIL;
            case Fault::Empty: return S_OK;
            case Fault::None: break;
        }
        *p = new (std::nothrow) PageFramesObject(document_);
        return *p ? S_OK : E_OUTOFMEMORY;
    }

private:
    ModelDocument& document_;
};

}  // namespace

HRESULT CreatePageDocument(ModelDocument& document, IDispatch** out) {
    if (!out) return E_POINTER;
    auto* object = new (std::nothrow) PageDocumentObject(document);
    *out = object;
    return object ? S_OK : E_OUTOFMEMORY;
}

}  // namespace keyvale::harness
