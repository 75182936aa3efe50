// The stand-in browser's pages: documents with an address, a title, elements in document
// order (input fields with type, name and value among them) and frame windows that show other
// documents of the same model. Any single operation on a document, element, frame window or
// on the browser can be made to fail, or to succeed with nothing, so that the skip rules can
// be exercised. The native seam (ModelBrowser.h) and the Windows COM objects
// (PageObjectsWin.h, HostBrowserWin.h) both work over this model.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keyvale::harness {

// The operations a test can make misbehave, grouped by the object that carries the fault.
enum class PageOp : std::uint8_t {
    // ModelBrowserState
    ReadyState,          // IWebBrowser2::get_ReadyState
    Document,            // IWebBrowser2::get_Document
    TopWindow,           // IWebBrowser2::get_HWND (Empty: S_FALSE with the window)
    // ModelDocument
    NotHtml,             // the document does not answer IHTMLDocument2 (either fault)
    Url,                 // IHTMLDocument2::get_URL
    Title,               // IHTMLDocument2::get_title
    All,                 // IHTMLDocument2::get_all
    AllLength,           // IHTMLElementCollection::get_length
    Frames,              // IHTMLDocument2::get_frames
    FramesLength,        // IHTMLFramesCollection2::get_length
    // ModelElement
    Item,                // IHTMLElementCollection::item for this element
    NotElement,          // the item does not answer IHTMLElement (either fault)
    TagName,             // IHTMLElement::get_tagName
    NotInput,            // the element does not answer IHTMLInputElement (either fault)
    Type,                // IHTMLInputElement::get_type
    Name,                // IHTMLInputElement::get_name
    Value,               // IHTMLInputElement::get_value
    SetValue,            // IHTMLInputElement::put_value (either fault: the call fails)
    Select,              // IHTMLInputElement::select (either fault: the call fails)
    // ModelFrame
    FrameItem,           // IHTMLFramesCollection2::item for this frame window
    NotWindow,           // the frame item does not answer IHTMLWindow2 (either fault)
    WindowDocument,      // IHTMLWindow2::get_document
    Count_
};

enum class Fault : std::uint8_t {
    None,
    Error,  // the call fails
    Empty,  // the call succeeds with nothing: a null object, a null string
};

class Faults {
public:
    void Set(PageOp op, Fault fault = Fault::Error) { faults_[Index(op)] = fault; }
    Fault Of(PageOp op) const { return faults_[Index(op)]; }
    bool Any(PageOp op) const { return Of(op) != Fault::None; }

private:
    static std::size_t Index(PageOp op) { return static_cast<std::size_t>(op); }
    std::array<Fault, static_cast<std::size_t>(PageOp::Count_)> faults_{};
};

struct ModelDocument;

struct ModelElement {
    std::u16string tagName;
    // Input fields (tag "input" in any letter case):
    std::u16string type;
    std::optional<std::u16string> name;  // none: the field has no name
    std::u16string value;
    bool selected = false;  // select() was called
    int valueWrites = 0;    // successful put_value calls
    Faults faults;

    // Whether the element answers IHTMLInputElement.
    bool IsInput() const;
};

// A frame window of a document; it shows `document`, which belongs to the same model (it may
// be the document itself or one of its ancestors). A null document: the window has none.
struct ModelFrame {
    ModelDocument* document = nullptr;
    Faults faults;
};

struct ModelDocument {
    std::u16string name;  // the page's name within the model (a file's path or a page name)
    std::u16string url;
    std::u16string title;
    // Document order and frame order; adding keeps earlier entries where they are.
    std::deque<ModelElement> elements;
    std::deque<ModelFrame> frames;
    Faults faults;

    ModelElement& AddElement(std::u16string tagName);
    ModelElement& AddInput(std::u16string type, std::optional<std::u16string> name,
                           std::u16string value = {});
    // A frame element with tag `tagName` and its frame window showing `document`.
    ModelElement& AddFrame(std::u16string tagName, ModelDocument* document);
    // The first input field named `name` (exactly), or null.
    ModelElement* FindField(std::u16string_view name);
};

// Owns the documents; their addresses stay fixed while the model lives. Objects that expose a
// document (native seam, COM objects) must not outlive the model.
class PageModel {
public:
    ModelDocument& AddDocument(std::u16string url, std::u16string title = {});
    // The first document whose address equals `url` ignoring letter case, or null.
    ModelDocument* FindByUrl(std::u16string_view url);
    // The document named `name` (exactly), or null.
    ModelDocument* FindByName(std::u16string_view name);

private:
    std::vector<std::unique_ptr<ModelDocument>> documents_;
};

// What the browser shows: the current document of the model and its ready state.
struct ModelBrowserState {
    explicit ModelBrowserState(PageModel& model) : model(&model) {}

    // Shows the model's page at `url` (none when there is no such page), loaded at once.
    void Navigate(std::u16string_view url);

    PageModel* model;
    ModelDocument* current = nullptr;
    std::int32_t readyState = 4;
    std::vector<std::u16string> navigations;  // every address asked for, in order
    int readyStateQueries = 0;                // how often the ready state was asked for
    Faults faults;
};

}  // namespace keyvale::harness
