#include "harness/ModelBrowser.h"

namespace keyvale::harness {
namespace {

// A string property: none when the call fails, empty when it gives a null string.
std::optional<std::u16string> Read(const Faults& faults, PageOp op, const std::u16string& text) {
    switch (faults.Of(op)) {
        case Fault::Error: return std::nullopt;
        case Fault::Empty: return std::u16string();
        case Fault::None: break;
    }
    return text;
}

class ModelInput final : public PageInput {
public:
    explicit ModelInput(ModelElement& element) : element_(element) {}

    std::optional<std::u16string> Type() override {
        return Read(element_.faults, PageOp::Type, element_.type);
    }
    std::optional<PageString> Name() override {
        switch (element_.faults.Of(PageOp::Name)) {
            case Fault::Error: return std::nullopt;
            case Fault::Empty: return PageString{{}, true};
            case Fault::None: break;
        }
        if (!element_.name) return PageString{{}, true};
        return PageString{*element_.name, false};
    }
    std::optional<std::u16string> Value() override {
        return Read(element_.faults, PageOp::Value, element_.value);
    }
    bool SetValue(std::u16string_view value) override {
        if (element_.faults.Any(PageOp::SetValue)) return false;
        element_.value = std::u16string(value);
        ++element_.valueWrites;
        return true;
    }
    bool Select() override {
        if (element_.faults.Any(PageOp::Select)) return false;
        element_.selected = true;
        return true;
    }

private:
    ModelElement& element_;
};

class ModelElementView final : public PageElement {
public:
    explicit ModelElementView(ModelElement& element) : element_(element) {}

    std::optional<std::u16string> TagName() override {
        return Read(element_.faults, PageOp::TagName, element_.tagName);
    }
    std::unique_ptr<PageInput> AsInput() override {
        if (!element_.IsInput() || element_.faults.Any(PageOp::NotInput)) return nullptr;
        return std::make_unique<ModelInput>(element_);
    }

private:
    ModelElement& element_;
};

class ModelElements final : public ElementCollection {
public:
    explicit ModelElements(ModelDocument& document) : document_(document) {}

    std::optional<std::int32_t> Length() override {
        if (document_.faults.Any(PageOp::AllLength)) return std::nullopt;
        return static_cast<std::int32_t>(document_.elements.size());
    }
    std::unique_ptr<PageElement> Item(std::int32_t index) override {
        if (index < 0 || static_cast<std::size_t>(index) >= document_.elements.size()) {
            return nullptr;
        }
        ModelElement& element = document_.elements[static_cast<std::size_t>(index)];
        if (element.faults.Any(PageOp::Item) || element.faults.Any(PageOp::NotElement)) {
            return nullptr;
        }
        return std::make_unique<ModelElementView>(element);
    }

private:
    ModelDocument& document_;
};

class ModelFrames final : public FrameCollection {
public:
    explicit ModelFrames(ModelDocument& document) : document_(document) {}

    std::optional<std::int32_t> Length() override {
        if (document_.faults.Any(PageOp::FramesLength)) return std::nullopt;
        return static_cast<std::int32_t>(document_.frames.size());
    }
    std::unique_ptr<PageDocument> FrameDocument(std::int32_t index) override {
        if (index < 0 || static_cast<std::size_t>(index) >= document_.frames.size()) {
            return nullptr;
        }
        const ModelFrame& frame = document_.frames[static_cast<std::size_t>(index)];
        if (frame.faults.Any(PageOp::FrameItem) || frame.faults.Any(PageOp::NotWindow) ||
            frame.faults.Any(PageOp::WindowDocument) || !frame.document) {
            return nullptr;
        }
        return MakeModelDocument(*frame.document);
    }

private:
    ModelDocument& document_;
};

class ModelDocumentView final : public PageDocument {
public:
    explicit ModelDocumentView(ModelDocument& document) : document_(document) {}

    std::optional<std::u16string> Url() override {
        return Read(document_.faults, PageOp::Url, document_.url);
    }
    std::optional<std::u16string> Title() override {
        return Read(document_.faults, PageOp::Title, document_.title);
    }
    std::unique_ptr<ElementCollection> All() override {
        if (document_.faults.Any(PageOp::All)) return nullptr;
        return std::make_unique<ModelElements>(document_);
    }
    std::unique_ptr<FrameCollection> Frames() override {
        if (document_.faults.Any(PageOp::Frames)) return nullptr;
        return std::make_unique<ModelFrames>(document_);
    }

private:
    ModelDocument& document_;
};

class RecordingWindow final : public PageWindow {
public:
    explicit RecordingWindow(std::vector<KeyStroke>& keys) : keys_(keys) {}
    void Send(const KeyStroke& stroke) override { keys_.push_back(stroke); }

private:
    std::vector<KeyStroke>& keys_;
};

}  // namespace

std::unique_ptr<PageDocument> MakeModelDocument(ModelDocument& document) {
    if (document.faults.Any(PageOp::NotHtml)) return nullptr;
    return std::make_unique<ModelDocumentView>(document);
}

void ModelBrowser::Navigate(std::u16string_view url) { state_.Navigate(url); }

std::optional<std::int32_t> ModelBrowser::ReadyState() {
    if (state_.faults.Any(PageOp::ReadyState)) return std::nullopt;
    return state_.readyState;
}

std::unique_ptr<PageDocument> ModelBrowser::Document() {
    if (state_.faults.Any(PageOp::Document) || !state_.current) return nullptr;
    return MakeModelDocument(*state_.current);
}

std::unique_ptr<PageWindow> ModelBrowser::FindPageWindow() {
    if (state_.faults.Any(PageOp::TopWindow) || !hasPageWindow) return nullptr;
    return std::make_unique<RecordingWindow>(receivedKeys);
}

}  // namespace keyvale::harness
