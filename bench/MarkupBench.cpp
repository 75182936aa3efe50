// Speed of the markup engine beside the fastest parsers Debian ships, on the same
// synthetic stores (the store's own layout: CR LF after every element, no indentation):
//  - parse: MarkupDoc::AssignText, RapidXML on the UTF-16 text (non-destructive), pugixml
//    on the UTF-8 text and through its UTF-16 input path, and the floor: a bare scan of the
//    UTF-16 text for '<';
//  - a read pass that visits every Site and reads its title and url;
//  - edits: append a site at the end, remove a site from the middle (or near the end),
//    each undone in the same iteration so that the store stays the same.
// bench/run.sh runs it and prints the ratios.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <rapidxml/rapidxml.hpp>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "markup/MarkupDoc.h"

namespace {

using keyvale::MarkupDoc;

std::u16string Widen(std::string_view s) { return std::u16string(s.begin(), s.end()); }

std::u16string SiteMarkup(int i) {
    const std::string n = std::to_string(i);
    return Widen("<Site>\r\n<title>Example site " + n + " - sign in</title>\r\n<url>https://www" + n +
                 ".example.com/account/login?from=home</url>\r\n<input>\r\n<type>text</type>\r\n"
                 "<name>username</name>\r\n<value>user" + n + "@example.com</value>\r\n</input>\r\n"
                 "<input>\r\n<type>password</type>\r\n<name>password</name>\r\n<value>s3cret-" + n +
                 "</value>\r\n</input>\r\n</Site>\r\n");
}

std::u16string MakeStore(int sites) {
    std::u16string s = u"<KVPassword Version=\"1\">\r\n<Preferences>\r\n<autosignon>1</autosignon>\r\n"
                       u"<exportpassword/>\r\n</Preferences>\r\n";
    for (int i = 0; i < sites; ++i) s += SiteMarkup(i);
    s += u"</KVPassword>\r\n";
    return s;
}

struct Store {
    std::u16string text;  // UTF-16 (all ASCII here)
    std::string utf8;
};

const Store& StoreOf(int sites) {
    static std::map<int, std::unique_ptr<Store>> stores;
    auto& slot = stores[sites];
    if (!slot) {
        slot = std::make_unique<Store>();
        slot->text = MakeStore(sites);
        slot->utf8.assign(slot->text.begin(), slot->text.end());
    }
    return *slot;
}

void SetBytes(benchmark::State& state, const Store& store) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(store.text.size() * 2));
    state.counters["units"] = double(store.text.size());
}

// --- Parse -------------------------------------------------------------------------------

// The floor: every unit looked at once, every '<' counted.
void Floor(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    for (auto _ : state) {
        const char16_t* p = store.text.data();
        const char16_t* const end = p + store.text.size();
        std::size_t count = 0;
        for (; p != end; ++p)
            if (*p == u'<') ++count;
        benchmark::DoNotOptimize(count);
    }
    SetBytes(state, store);
}

void AssignText(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    MarkupDoc doc;
    for (auto _ : state) {
        bool ok = doc.AssignText(store.text);
        benchmark::DoNotOptimize(ok);
    }
    if (!doc.HasRoot()) state.SkipWithError("not parsed");
    SetBytes(state, store);
}

// A new document every time: the table grows from its first size during the parse.
void AssignTextNewDoc(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    for (auto _ : state) {
        MarkupDoc doc;
        bool ok = doc.AssignText(store.text);
        benchmark::DoNotOptimize(ok);
    }
    SetBytes(state, store);
}

void RapidXml16(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    std::u16string text = store.text;  // zero-terminated; not written to
    auto doc = std::make_unique<rapidxml::xml_document<char16_t>>();
    for (auto _ : state) {
        doc->clear();
        doc->parse<rapidxml::parse_non_destructive>(text.data());
        benchmark::DoNotOptimize(doc->first_node());
    }
    SetBytes(state, store);
}

void PugiUtf8(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    pugi::xml_document doc;
    for (auto _ : state) {
        auto result = doc.load_buffer(store.utf8.data(), store.utf8.size(), pugi::parse_default, pugi::encoding_utf8);
        benchmark::DoNotOptimize(result.status);
    }
    SetBytes(state, store);
}

void PugiUtf16(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    pugi::xml_document doc;
    for (auto _ : state) {
        auto result = doc.load_buffer(store.text.data(), store.text.size() * 2, pugi::parse_default,
                                      pugi::encoding_utf16_le);
        benchmark::DoNotOptimize(result.status);
    }
    SetBytes(state, store);
}

// --- Read pass ---------------------------------------------------------------------------

void ReadMarkupDoc(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    MarkupDoc doc;
    doc.AssignText(store.text);
    for (auto _ : state) {
        std::size_t total = 0;
        doc.Rewind();
        while (doc.NextChild(u"Site")) {
            doc.Descend();
            if (doc.NextChild(u"title")) total += doc.ChildText().size();
            if (doc.NextChild(u"url")) total += doc.ChildText().size();
            doc.Ascend();
        }
        benchmark::DoNotOptimize(total);
    }
}

void ReadPugi(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    pugi::xml_document doc;
    doc.load_buffer(store.utf8.data(), store.utf8.size(), pugi::parse_default, pugi::encoding_utf8);
    for (auto _ : state) {
        std::size_t total = 0;
        for (pugi::xml_node site : doc.child("KVPassword").children("Site")) {
            total += std::string(site.child("title").text().get()).size();
            total += std::string(site.child("url").text().get()).size();
        }
        benchmark::DoNotOptimize(total);
    }
}

void ReadRapidXml16(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    std::u16string text = store.text;
    auto doc = std::make_unique<rapidxml::xml_document<char16_t>>();
    doc->parse<rapidxml::parse_non_destructive>(text.data());
    for (auto _ : state) {
        std::size_t total = 0;
        auto* root = doc->first_node(u"KVPassword");
        for (auto* site = root->first_node(u"Site"); site; site = site->next_sibling(u"Site")) {
            if (auto* t = site->first_node(u"title")) total += std::u16string(t->value(), t->value_size()).size();
            if (auto* u = site->first_node(u"url")) total += std::u16string(u->value(), u->value_size()).size();
        }
        benchmark::DoNotOptimize(total);
    }
}

// --- Edits -------------------------------------------------------------------------------

// The cursor on site number `site` (from 0) of a store document.
void OnSite(MarkupDoc& doc, int site) {
    doc.Rewind();
    for (int i = 0; i <= site; ++i) doc.NextChild(u"Site");
}

void EditAppendAtEnd(benchmark::State& state) {
    const int sites = int(state.range(0));
    MarkupDoc doc;
    doc.AssignText(StoreOf(sites).text);
    OnSite(doc, sites - 1);
    const std::u16string site = SiteMarkup(sites);
    doc.AppendChildMarkup(site);  // once untimed: the text buffer grows to its working size
    doc.RemoveChild();
    for (auto _ : state) {
        bool added = doc.AppendChildMarkup(site);
        bool removed = doc.RemoveChild();
        benchmark::DoNotOptimize(added && removed);
    }
    if (doc.DocumentText() != StoreOf(sites).text) state.SkipWithError("store changed");
}

void EditRemoveAt(benchmark::State& state, int site) {
    const int sites = int(state.range(0));
    MarkupDoc doc;
    doc.AssignText(StoreOf(sites).text);
    OnSite(doc, site);
    const std::u16string markup = doc.ChildMarkup();
    doc.RemoveChild();  // once untimed: the text buffer grows to its working size
    doc.AppendChildMarkup(markup);
    for (auto _ : state) {
        bool removed = doc.RemoveChild();
        bool added = doc.AppendChildMarkup(markup);
        benchmark::DoNotOptimize(added && removed);
    }
    if (doc.DocumentText() != StoreOf(sites).text) state.SkipWithError("store changed");
}

void EditRemoveMiddle(benchmark::State& state) { EditRemoveAt(state, int(state.range(0)) / 2); }
void EditRemoveNearEnd(benchmark::State& state) { EditRemoveAt(state, int(state.range(0)) - 10); }

void PugiAppendAtEnd(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    pugi::xml_document doc;
    doc.load_buffer(store.utf8.data(), store.utf8.size(), pugi::parse_default, pugi::encoding_utf8);
    pugi::xml_document one;
    const std::u16string site16 = SiteMarkup(int(state.range(0)));
    const std::string site(site16.begin(), site16.end());
    one.load_buffer(site.data(), site.size());
    pugi::xml_node root = doc.child("KVPassword");
    for (auto _ : state) {
        pugi::xml_node added = root.append_copy(one.first_child());
        benchmark::DoNotOptimize(root.remove_child(added));
    }
}

void PugiRemoveMiddle(benchmark::State& state) {
    const Store& store = StoreOf(int(state.range(0)));
    pugi::xml_document doc;
    doc.load_buffer(store.utf8.data(), store.utf8.size(), pugi::parse_default, pugi::encoding_utf8);
    pugi::xml_node root = doc.child("KVPassword");
    pugi::xml_node site = root.child("Site");
    for (int i = 0; i < int(state.range(0)) / 2; ++i) site = site.next_sibling("Site");
    pugi::xml_document saved;
    saved.append_copy(site);
    for (auto _ : state) {
        pugi::xml_node before = site.previous_sibling();
        root.remove_child(site);
        site = root.insert_copy_after(saved.first_child(), before);
        benchmark::DoNotOptimize(site);
    }
}

constexpr int kSizes[] = {100, 10000, 100000};

void Sizes(benchmark::internal::Benchmark* b) {
    for (int n : kSizes) b->Arg(n);
}

BENCHMARK(Floor)->Apply(Sizes);
BENCHMARK(AssignText)->Apply(Sizes);
BENCHMARK(AssignTextNewDoc)->Apply(Sizes);
BENCHMARK(RapidXml16)->Apply(Sizes);
BENCHMARK(PugiUtf8)->Apply(Sizes);
BENCHMARK(PugiUtf16)->Apply(Sizes);
BENCHMARK(ReadMarkupDoc)->Apply(Sizes);
BENCHMARK(ReadRapidXml16)->Apply(Sizes);
BENCHMARK(ReadPugi)->Apply(Sizes);
BENCHMARK(EditAppendAtEnd)->Apply(Sizes);
BENCHMARK(EditRemoveMiddle)->Apply(Sizes);
BENCHMARK(EditRemoveNearEnd)->Apply(Sizes);
BENCHMARK(PugiAppendAtEnd)->Arg(10000);
BENCHMARK(PugiRemoveMiddle)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
