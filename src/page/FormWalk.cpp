#include "page/FormWalk.h"

#include "store/StoreSchema.h"
#include "store/Wipe.h"

namespace keyvale {
namespace {

bool IsFrameTag(std::u16string_view tag) {
    return SameTextIgnoringCase(tag, u"frame") || SameTextIgnoringCase(tag, u"iframe");
}

bool IsFieldType(std::u16string_view type) {
    return SameTextIgnoringCase(type, u"text") || SameTextIgnoringCase(type, u"password");
}

// Appends one input record (type, name, value) after the site's current child; the new
// record is the child afterwards.
void RecordField(MarkupDoc& store, const std::u16string& type, const PageString& name,
                 const std::u16string& value) {
    if (!store.AppendChild(u"input")) return;
    store.Descend();
    store.AppendChild(u"type", type);
    store.AppendChild(u"name", name.absent ? std::u16string_view() : name.text);
    store.AppendChild(u"value", value);
    store.Ascend();
}

// Writes the value of the first input record named `name` into the field.
void FillField(MarkupDoc& store, PageInput& input, const std::u16string& type,
               const std::u16string& name) {
    store.RewindChildren();
    while (store.NextChild(u"input")) {
        store.Descend();
        const bool named = store.NextChild(u"name") && SameTextIgnoringCase(store.ChildText(), name);
        if (named) {
            // A record without a value leaves the field as it is.
            if (store.NextChild(u"value")) {
                const SecretText value(store.ChildText());
                if (input.SetValue(value.get()) && SameTextIgnoringCase(type, u"password")) {
                    input.Select();
                }
            }
            store.Ascend();
            return;
        }
        store.Ascend();
    }
}

void HandleInput(PageElement& element, MarkupDoc& store, bool recording) {
    std::unique_ptr<PageInput> input = element.AsInput();
    if (!input) return;
    std::optional<std::u16string> type = input->Type();
    if (!type) return;
    std::optional<PageString> name = input->Name();
    if (!name) return;
    std::optional<std::u16string> read = input->Value();
    if (!read) return;
    const SecretText value(std::move(*read));
    if (!IsFieldType(*type)) return;
    if (recording) {
        RecordField(store, *type, *name, value.get());
    } else if (!name->absent) {
        FillField(store, *input, *type, name->text);
    }
}

void WalkDocument(PageDocument& document, ElementCollection& elements, MarkupDoc& store,
                  bool recording, int depth);

// Walks the document of every frame window of `document`, in frame order.
void WalkFrames(PageDocument& document, MarkupDoc& store, bool recording, int depth) {
    if (depth >= kMaxFrameDepth) return;
    std::unique_ptr<FrameCollection> frames = document.Frames();
    if (!frames) return;
    const std::int32_t count = frames->Length().value_or(0);
    for (std::int32_t j = 0; j < count; ++j) {
        std::unique_ptr<PageDocument> frameDocument = frames->FrameDocument(j);
        if (!frameDocument) continue;
        std::unique_ptr<ElementCollection> frameElements = frameDocument->All();
        if (!frameElements) continue;
        WalkDocument(*frameDocument, *frameElements, store, recording, depth + 1);
    }
}

void WalkDocument(PageDocument& document, ElementCollection& elements, MarkupDoc& store,
                  bool recording, int depth) {
    const std::int32_t count = elements.Length().value_or(0);
    for (std::int32_t i = 0; i < count; ++i) {
        std::unique_ptr<PageElement> element = elements.Item(i);
        if (!element) continue;
        std::optional<std::u16string> tag = element->TagName();
        if (!tag) continue;
        if (IsFrameTag(*tag)) {
            WalkFrames(document, store, recording, depth);
        } else if (SameTextIgnoringCase(*tag, u"input")) {
            HandleInput(*element, store, recording);
        }
    }
}

}  // namespace

bool WalkFormFields(PageDocument& document, ElementCollection& elements, MarkupDoc& store,
                    bool recording) {
    WalkDocument(document, elements, store, recording, 0);
    return true;
}

}  // namespace keyvale
