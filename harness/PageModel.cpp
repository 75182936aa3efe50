#include "harness/PageModel.h"

#include "store/StoreSchema.h"

namespace keyvale::harness {

bool ModelElement::IsInput() const { return SameTextIgnoringCase(tagName, u"input"); }

ModelElement& ModelDocument::AddElement(std::u16string tagName) {
    ModelElement& element = elements.emplace_back();
    element.tagName = std::move(tagName);
    return element;
}

ModelElement& ModelDocument::AddInput(std::u16string type, std::optional<std::u16string> name,
                                      std::u16string value) {
    ModelElement& element = AddElement(u"input");
    element.type = std::move(type);
    element.name = std::move(name);
    element.value = std::move(value);
    return element;
}

ModelElement& ModelDocument::AddFrame(std::u16string tagName, ModelDocument* document) {
    frames.push_back(ModelFrame{document, {}});
    return AddElement(std::move(tagName));
}

ModelElement* ModelDocument::FindField(std::u16string_view fieldName) {
    for (ModelElement& element : elements) {
        if (element.IsInput() && element.name && *element.name == fieldName) return &element;
    }
    return nullptr;
}

ModelDocument& PageModel::AddDocument(std::u16string url, std::u16string title) {
    auto& document = documents_.emplace_back(std::make_unique<ModelDocument>());
    document->url = std::move(url);
    document->title = std::move(title);
    return *document;
}

ModelDocument* PageModel::FindByUrl(std::u16string_view url) {
    for (auto& document : documents_) {
        if (SameTextIgnoringCase(document->url, url)) return document.get();
    }
    return nullptr;
}

ModelDocument* PageModel::FindByName(std::u16string_view name) {
    for (auto& document : documents_) {
        if (!document->name.empty() && document->name == name) return document.get();
    }
    return nullptr;
}

void ModelBrowserState::Navigate(std::u16string_view url) {
    navigations.emplace_back(url);
    current = model->FindByUrl(url);
    readyState = 4;
}

}  // namespace keyvale::harness
