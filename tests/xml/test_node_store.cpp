#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <list>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "support/allocation_probe.h"
#include "support/tree_text.h"
#include "support/trees.h"
#include "xml/brace.h"
#include "xml/detail/node_store.h"
#include "xml/document.h"
#include "xml/node_list.h"
#include "xml/node_stream.h"

using tarvik::xml::NodeList;
using tarvik::xml::readTree;
using tarvik::xml::writeBrace;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;
using tarvik::xml::detail::BlockAlignment;
using tarvik::xml::detail::BlockPrefixBytes;
using tarvik::xml::detail::BlockRelease;
using tarvik::xml::detail::LargestStoredBlock;
using tarvik::xml::detail::NodeStore;
using tarvik::xml::detail::releaseBlock;
using testing_support::AllocationProbe;
using testing_support::NodePtr;
using testing_support::sameTree;
using testing_support::treeIsConsistent;
using testing_support::treeText;

namespace {

constexpr char Game[] =
    "<game name=\"zindle\"><window w=\"800\" h=\"600\">title<icon id=\"107\"/></window>"
    "<![CDATA[raw]]><realm n=\"1\"><server host=\"a\"/><server host=\"b\"/></realm></game>";

std::string printed(const XMLElement& element) {
    std::ostringstream out;
    element.print(out, 0);
    return out.str();
}

template <typename List>
std::vector<int> forwards(const List& list) {
    return std::vector<int>(list.begin(), list.end());
}

template <typename List>
std::vector<int> backwards(const List& list) {
    return std::vector<int>(list.rbegin(), list.rend());
}

// The same operations on a NodeList and a std::list must leave the same
// entries, read both ways, with the same size: a broken link, count or free
// shows here, and the sanitizer build checks every block on the way.
TEST(NodeList, BehavesLikeStdList) {
    NodeStore store;
    NodeList<int> ours;
    NodeList<int> oursOther;
    std::list<int> theirs;
    std::list<int> theirsOther;
    uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (int step = 0; step < 4000; ++step) {
        const uint32_t pick = next();
        const auto at = static_cast<std::ptrdiff_t>(next() % (theirs.size() + 1));
        const int value = step;
        switch (pick % 11) {
            case 0:
                ours.push_back(value), theirs.push_back(value);
                break;
            case 1:
                ours.push_front(value), theirs.push_front(value);
                break;
            case 2:
                ours.emplaceIn(&store, std::next(ours.begin(), at), value);
                theirs.insert(std::next(theirs.begin(), at), value);
                break;
            case 3:
                if (!theirs.empty() && at < static_cast<std::ptrdiff_t>(theirs.size())) {
                    ours.erase(std::next(ours.begin(), at));
                    theirs.erase(std::next(theirs.begin(), at));
                }
                break;
            case 4:
                oursOther.emplaceBackIn(&store, value), theirsOther.push_back(value);
                break;
            case 5:
                ours.splice(std::next(ours.begin(), at), oursOther);
                theirs.splice(std::next(theirs.begin(), at), theirsOther);
                break;
            case 6:
                if (!theirs.empty()) {
                    ours.splice(ours.begin(), ours, std::prev(ours.end()));
                    theirs.splice(theirs.begin(), theirs, std::prev(theirs.end()));
                }
                break;
            case 7:
                if (!theirs.empty())
                    ours.pop_back(), theirs.pop_back();
                break;
            case 8:
                ours.swap(oursOther), theirs.swap(theirsOther);
                break;
            case 9: {
                NodeList<int> copy(ours);
                ours = std::move(copy);
                break;
            }
            default:
                if (pick % 97 == 0)
                    ours.clear(), theirs.clear();
                break;
        }
        ASSERT_EQ(ours.size(), theirs.size()) << "step " << step;
        ASSERT_EQ(forwards(ours), std::vector<int>(theirs.begin(), theirs.end()));
        ASSERT_EQ(backwards(ours), std::vector<int>(theirs.rbegin(), theirs.rend()));
        ASSERT_EQ(forwards(oursOther), std::vector<int>(theirsOther.begin(), theirsOther.end()));
    }
}

// A drain hands out the entries in order, a list spliced in front of the rest
// first, and frees whatever it still holds when it goes (the sanitizer build
// reports a leak or a double free).
TEST(NodeList, DrainHandsOutInOrderAndFreesTheRest) {
    NodeStore store;
    NodeList<std::unique_ptr<int>> list;
    NodeList<std::unique_ptr<int>> other;
    for (int value = 0; value < 5; ++value)
        list.emplaceBackIn(value % 2 ? &store : nullptr, std::make_unique<int>(value));
    for (int value = 10; value < 13; ++value)
        other.emplaceBackIn(&store, std::make_unique<int>(value));
    std::vector<int> seen;
    {
        NodeList<std::unique_ptr<int>>::Drain drain(list);
        EXPECT_TRUE(list.empty());
        BlockRelease released;
        const auto take = [&] {
            seen.push_back(*drain.front());
            drain.popFront(released);
        };
        take();
        drain.spliceFront(other);
        EXPECT_TRUE(other.empty());
        for (int count = 0; count < 4; ++count)
            take();
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 10, 11, 12, 1}));
    list.emplaceBackIn(&store, std::make_unique<int>(7));
    other.splice(other.end(), list);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(*other.front(), 7);
}

// Every way into a list of children makes the list's element the parent of
// what comes in, so nothing points back into a document once it is gone.
// The reported case: children spliced out of a document that was then
// destroyed, and writeBrace's refusal of the CDATA node built its path
// through the freed parent (the sanitizer build reports the read).
TEST(NodeList, EveryWayInSetsTheParent) {
    using Children = XMLElement::ChildList;
    // Takes the children of `from` (a parsed document's root) into `into`.
    using Move = void (*)(Children & into, Children & from);
    const struct {
        const char* what;
        Move move;
    } ways[] = {
        {"push_back",
         [](Children& into, Children& from) {
             for (NodePtr& child : from)
                 into.push_back(std::move(child));
         }},
        {"push_front",
         [](Children& into, Children& from) {
             for (auto child = from.rbegin(); child != from.rend(); ++child)
                 into.push_front(std::move(*child));
         }},
        {"insert",
         [](Children& into, Children& from) {
             for (NodePtr& child : from)
                 into.insert(into.end(), std::move(child));
         }},
        {"emplace",
         [](Children& into, Children& from) {
             for (NodePtr& child : from)
                 into.emplace(into.end(), std::move(child));
         }},
        {"emplace_back",
         [](Children& into, Children& from) {
             for (NodePtr& child : from)
                 into.emplace_back(std::move(child));
         }},
        {"emplace_front",
         [](Children& into, Children& from) {
             for (auto child = from.rbegin(); child != from.rend(); ++child)
                 into.emplace_front(std::move(*child));
         }},
        {"emplaceIn",
         [](Children& into, Children& from) {
             for (NodePtr& child : from)
                 into.emplaceIn(nullptr, into.end(), std::move(child));
         }},
        {"emplaceBackIn",
         [](Children& into, Children& from) {
             NodeStore store;
             for (NodePtr& child : from)
                 into.emplaceBackIn(&store, std::move(child));
         }},
        {"splice of a list", [](Children& into, Children& from) { into.splice(into.end(), from); }},
        {"splice of a moved list",
         [](Children& into, Children& from) { into.splice(into.end(), std::move(from)); }},
        {"splice of one entry",
         [](Children& into, Children& from) {
             while (!from.empty())
                 into.splice(into.end(), from, from.begin());
         }},
        {"move assignment", [](Children& into, Children& from) { into = std::move(from); }},
        {"swap", [](Children& into, Children& from) { into.swap(from); }},
        {"through a list of no element",
         [](Children& into, Children& from) {
             Children loose(std::move(from));
             for (const NodePtr& child : loose)
                 EXPECT_EQ(child->parent, nullptr);
             into.splice(into.end(), loose);
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        XMLElement into("into");
        auto from = std::make_unique<XMLDocument>();
        from->parseMarkup("<a><b><![CDATA[z]]></b></a><c/>");
        way.move(into.children, from->root().children);
        // A swap hands the other list what this one held.
        for (const NodePtr& child : from->root().children)
            EXPECT_TRUE(!child || child->parent == &from->root());
        from.reset();
        EXPECT_EQ(treeText(into), "<into <a <b < text='z'>>> <c>>");
        EXPECT_TRUE(treeIsConsistent(into));
        std::ostringstream out;
        try {
            writeBrace(into, out);
            ADD_FAILURE() << "a CDATA node has no brace notation";
        } catch (const XMLException& error) {
            EXPECT_EQ(error.node(), "/into[1]/a[1]/b[1]/#cdata[1]");
        }
    }
}

// A child taken out of a parsed tree (moved out of its entry, or kept while
// its entry is erased) lives on its own after the document is gone.
// Node classes derived outside the library, one as aligned as plain `new`
// must make it and one beyond that.
struct Lanes {
    alignas(16) float lane[4];
};
struct TintedElement : XMLElement {
    Lanes colour{};
};
struct alignas(64) LinedElement : XMLElement {};

bool alignedFor(const void* address, std::size_t alignment) {
    return reinterpret_cast<std::uintptr_t>(address) % alignment == 0;
}

TEST(NodeStore, BlocksAreAlignedAsTheirClassesNeed) {
    NodeStore store;
    std::vector<std::pair<NodePtr, std::size_t>> nodes;  // each with the alignment it needs
    NodeList<Lanes> lanes;
    for (int round = 0; round < 3; ++round) {  // library blocks between them in the page
        nodes.emplace_back(std::make_unique<TintedElement>(), alignof(TintedElement));
        nodes.emplace_back(new (store) TintedElement(), alignof(TintedElement));
        nodes.emplace_back(new (store) XMLElement("odd"), alignof(XMLElement));
        nodes.emplace_back(std::make_unique<LinedElement>(), alignof(LinedElement));
        nodes.emplace_back(new (store) LinedElement(), alignof(LinedElement));
        lanes.emplace_back();
        lanes.emplaceBackIn(&store);
    }
    for (const auto& [node, alignment] : nodes)
        EXPECT_TRUE(alignedFor(node.get(), alignment)) << node.get() << " " << alignment;
    for (const Lanes& entry : lanes)
        EXPECT_TRUE(alignedFor(&entry, alignof(Lanes))) << &entry;
    XMLDocument document;  // and they free alike inside a parsed tree
    document.parseMarkup(Game);
    for (auto& entry : nodes)
        document.root().appendChild(std::move(entry.first));
}

TEST(NodeStore, ChildrenOutliveTheirDocument) {
    NodePtr moved;
    NodePtr fromErased;
    {
        XMLDocument document;
        document.parseMarkup(Game);
        XMLElement& game = *document.root().children.front();
        moved = std::move(game.children.front());  // the window
        auto realm = std::prev(game.children.end());
        fromErased = std::move(*realm);
        game.children.erase(realm);
        document.parseMarkup(Game);  // the old tree's remains are freed
    }
    // A parent with text writes its children without indentation.
    EXPECT_EQ(printed(*moved),
              "<window w=\"800\" h=\"600\">title<icon id=\"107\"></icon>\n</window>");
    EXPECT_EQ(treeText(*fromErased), "<realm n='1' <server host='a'> <server host='b'>>");
    EXPECT_TRUE(treeIsConsistent(*fromErased));
}

// Hand-built nodes come from the heap and parsed ones from a store; either
// may own the other, and the whole frees alike in either order.
TEST(NodeStore, ParsedAndHandBuiltTreesMix) {
    auto handBuilt = std::make_unique<XMLElement>("top");
    handBuilt->appendChild(std::make_unique<XMLElement>("mine"));
    {
        XMLDocument document;
        document.parseMarkup(Game);
        XMLElement& game = *document.root().children.front();
        game.appendChild(std::make_unique<XMLElement>("added"))->appendChild(game.clone());
        handBuilt->appendChild(std::move(game.children.front()));
        game.children.pop_front();  // the entry the window was moved out of
        EXPECT_EQ(game.children.size(), 3u);
        EXPECT_TRUE(treeIsConsistent(game));
    }
    ASSERT_EQ(handBuilt->children.size(), 2u);
    EXPECT_EQ(handBuilt->children.back()->name, "window");
    EXPECT_TRUE(treeIsConsistent(*handBuilt));
}

// Documents on different threads share nothing; a tree read on one thread
// is freed on another while the first goes on reading into the same pages.
// The thread-sanitizer build checks both.
TEST(NodeStore, TreesMayBeFreedOnAnotherThread) {
    constexpr int Rounds = 200;
    std::vector<NodePtr> handedOver(Rounds);
    const auto readAll = [&handedOver](bool keep) {
        XMLDocument document;
        for (int round = 0; round < Rounds; ++round) {
            document.parseMarkup(Game);
            if (keep)
                handedOver[round] = std::move(document.root().children.front());
        }
    };
    std::thread reader(readAll, true);
    std::thread other(readAll, false);
    reader.join();
    other.join();
    std::thread freer([&handedOver] {
        for (NodePtr& tree : handedOver)
            tree.reset();
    });
    XMLDocument again;
    for (int round = 0; round < Rounds; ++round)
        again.parseMarkup(Game);
    freer.join();
    EXPECT_EQ(again.root().children.size(), 1u);
}

// readTree and clone give trees of their own, equal to their source, that
// outlive every store they were read with.
TEST(NodeStore, ReadAndClonedTreesStandAlone) {
    NodePtr cloned;
    NodePtr read;
    {
        XMLDocument document;
        document.parseMarkup(Game);
        cloned = document.root().clone();
        std::istringstream in(testing_support::written(document.root()), std::ios::binary);
        read = readTree(in);
        EXPECT_TRUE(sameTree(document.root(), *cloned));
        EXPECT_TRUE(sameTree(document.root(), *read));
    }
    EXPECT_TRUE(sameTree(*cloned, *read));
}

// A tree too large for the first heap pages goes on in pages mapped from the
// system, whose unused ends go back when a parse is done. Nodes from every
// kind of page outlive the document, its next parse, and the copies' stores.
TEST(NodeStore, LargeTreesOutliveTheirPages) {
    constexpr int Items = 20000;  // some 7 MB of nodes: several mapped pages
    std::string text = "<list>";
    for (int item = 0; item < Items; ++item)
        text += "<item n=\"" + std::to_string(item) + "\" kind=\"a-value-longer-than-15\"/>";
    text += "</list>";
    std::vector<NodePtr> taken;
    NodePtr cloned;
    NodePtr read;
    {
        XMLDocument document;
        document.parseMarkup(text.c_str());
        XMLElement& list = *document.root().children.front();
        cloned = list.clone();
        std::istringstream in(testing_support::written(list), std::ios::binary);
        read = readTree(in);
        for (auto entry = list.children.begin(); entry != list.children.end();
             std::advance(entry, Items / 8))
            taken.push_back(std::move(*entry));  // from heap and mapped pages alike
        document.parseMarkup(text.c_str());      // frees the rest, reuses the store
        EXPECT_EQ(document.root().children.front()->children.size(), std::size_t{Items});
    }
    ASSERT_EQ(taken.size(), 8u);
    for (std::size_t index = 0; index < taken.size(); ++index)
        EXPECT_EQ(taken[index]->findAttribute("n"), std::to_string(index * (Items / 8)));
    EXPECT_TRUE(sameTree(*cloned, *read));
    EXPECT_EQ(read->children.back()->findAttribute("n"), std::to_string(Items - 1));
}

// Only a tree that has itself taken 2 MiB of heap pages moves on to mapped
// pages; trees built one after another in one store each start small again.
TEST(NodeStore, EveryTreeStartsWithSmallPages) {
    constexpr std::size_t BlockBytes = 256;
    constexpr int BlocksPerTree = 4096;  // 1 MiB and more with prefixes: below the threshold
    NodeStore store;
    for (int tree = 0; tree < 4; ++tree) {
        store.beginTree();
        std::vector<void*> blocks;
        for (int block = 0; block < BlocksPerTree; ++block)
            blocks.push_back(store.allocate(BlockBytes));
        EXPECT_FALSE(store.mapsPages()) << "tree " << tree;
        for (void* block : blocks)
            releaseBlock(block);
    }
#if defined(__linux__)
    std::vector<void*> blocks;
    for (int block = 0; block < 3 * BlocksPerTree; ++block)
        blocks.push_back(store.allocate(BlockBytes));
    EXPECT_TRUE(store.mapsPages());
    for (void* block : blocks)
        releaseBlock(block);
#endif
}

// What a node kept after the rest of its tree is gone may hold beyond its own
// bytes, of the pages its blocks came from.
constexpr std::size_t KeptNodeBound = 64 * 1024;

// Two blocks allocated one after the other (a node and its first attribute, say)
// and kept while every other block and their store go hold little more than
// themselves, wherever they lie: the pairs that straddle two heap pages, each
// pinning its page, are the worst case, and every one of them is tried.
TEST(NodeStore, KeptBlocksHoldLittleOfTheirHeapPages) {
    constexpr std::size_t Sizes[] = {8, 136, LargestStoredBlock};
    constexpr std::size_t AllocatedBytes = 320 * 1024;  // pages of every size, none of them mapped
    for (const std::size_t size : Sizes) {
        SCOPED_TRACE("blocks of " + std::to_string(size) + " bytes");
        const std::size_t slotBytes =
            (size + BlockPrefixBytes + BlockAlignment - 1) / BlockAlignment * BlockAlignment;
        const std::size_t count = AllocatedBytes / slotBytes;
        // A page is allocated front to back, so a block that is not one slot on
        // from the one before is the first of a new page.
        std::vector<std::size_t> pageStarts;
        {
            NodeStore store;
            std::vector<char*> blocks;
            for (std::size_t index = 0; index < count; ++index)
                blocks.push_back(static_cast<char*>(store.allocate(size)));
            for (std::size_t index = 1; index < count; ++index) {
                if (blocks[index] != blocks[index - 1] + slotBytes)
                    pageStarts.push_back(index);
            }
            for (char* block : blocks)
                releaseBlock(block);
        }
        ASSERT_GE(pageStarts.size(), 4u);
        for (const std::size_t pageStart : pageStarts) {
            const std::size_t before = AllocationProbe::heapInUse();
            void* kept[2];
            {
                NodeStore store;  // allocates the same blocks from pages of the same sizes
                std::vector<void*> blocks;
                for (std::size_t index = 0; index <= pageStart; ++index)
                    blocks.push_back(store.allocate(size));
                kept[0] = blocks[pageStart - 1];
                kept[1] = blocks[pageStart];
                blocks.resize(pageStart - 1);
                for (void* block : blocks)
                    releaseBlock(block);
            }
            const std::size_t held = AllocationProbe::heapInUse() - before;
            EXPECT_LE(held, KeptNodeBound + 2 * slotBytes)
                << "blocks " << pageStart - 1 << " and " << pageStart;
            releaseBlock(kept[0]);
            releaseBlock(kept[1]);
        }
    }
}

// Blocks kept while their neighbours go keep every byte, wherever they lie:
// the ones that run from one 32 KiB stretch of memory into the next are
// kept (so much goes back around them), the rest freed (front to back in
// runs, or one by one from the back; while their store lives, or after it
// is gone), and each kept block must still hold what was written into it
// when the memory around it has gone back.
TEST(NodeStore, KeptBlocksKeepTheirBytesWhenTheRestGoesBack) {
    constexpr std::size_t AllocatedBytes = 5 << 20;  // past the heap pages on every system
    constexpr std::uintptr_t Stretch = 32 * 1024;
    const struct {
        std::size_t size;
        bool oneByOneFromTheBack;
        bool afterTheStore;
    } rows[] = {
        {40, false, false},
        {LargestStoredBlock, false, true},
        {200, true, false},
        {24, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("blocks of " + std::to_string(row.size) + " bytes" +
                     (row.oneByOneFromTheBack ? ", freed one by one" : "") +
                     (row.afterTheStore ? ", after the store" : ""));
        const auto fill = [&row](char* block, std::size_t index) {
            for (std::size_t at = 0; at < row.size; ++at)
                block[at] = static_cast<char>(index * 7 + at);
        };
        std::vector<std::pair<char*, std::size_t>> kept;  // each with its index
        std::vector<char*> freed;
        const auto freeTheRest = [&row, &freed] {
            if (row.oneByOneFromTheBack) {
                for (auto block = freed.rbegin(); block != freed.rend(); ++block)
                    releaseBlock(*block);
            } else {
                BlockRelease released;
                for (char* block : freed)
                    released.release(block);
            }
        };
        {
            NodeStore store;
            for (std::size_t index = 0; index * row.size < AllocatedBytes; ++index) {
                char* block = static_cast<char*>(store.allocate(row.size));
                fill(block, index);
                const auto start = reinterpret_cast<std::uintptr_t>(block);
                if (start / Stretch != (start + row.size - 1) / Stretch)
                    kept.emplace_back(block, index);
                else
                    freed.push_back(block);
            }
            if (!row.afterTheStore)
                freeTheRest();
        }
        if (row.afterTheStore)
            freeTheRest();
        ASSERT_FALSE(kept.empty());
        std::vector<char> expected(row.size);
        for (const auto& [block, index] : kept) {
            fill(expected.data(), index);
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block)) << "block " << index;
            releaseBlock(block);
        }
    }
}

#if defined(__linux__)
// Bytes resident now in the 2 MiB pages that hold `node` and its attribute
// records, and in the system page before each: in a large tree, the mapped
// pages a node kept from it keeps, with their heads.
std::size_t residentInPagesOf(const XMLElement& node) {
    constexpr std::uintptr_t MappedPageBytes = std::uintptr_t{2} << 20;
    std::set<std::uintptr_t> pages = {reinterpret_cast<std::uintptr_t>(&node) &
                                      ~(MappedPageBytes - 1)};
    for (const auto& attribute : node.attributes)
        pages.insert(reinterpret_cast<std::uintptr_t>(&attribute) & ~(MappedPageBytes - 1));
    const auto systemPageBytes = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    std::size_t resident = 0;
    for (const std::uintptr_t page : pages) {
        for (std::uintptr_t at = page - systemPageBytes; at < page + MappedPageBytes;
             at += systemPageBytes) {
            unsigned char state = 0;  // parts of a page may be unmapped: asked one by one
            if (mincore(reinterpret_cast<void*>(at), systemPageBytes, &state) == 0 && (state & 1))
                resident += systemPageBytes;
        }
    }
    return resident;
}

// One element kept from a large tree, in mapped pages, holds little more than
// itself once the tree is gone: the chunks of its pages that no kept block
// lies in go back to the system, whichever way the tree went.
TEST(NodeStore, KeptNodesHoldLittleOfTheirMappedPages) {
    constexpr int Items = 20000;  // some 7 MB of nodes
    enum class From { Middle, End, Clone, TwoThreads, ErasedFirst };
    const struct {
        const char* what;
        From from;
    } rows[] = {
        {"the middle of a parsed tree", From::Middle},
        {"the end, in the page its store was allocating from", From::End},
        {"the middle of a clone", From::Clone},
        {"the middle, the tree freed on two threads at once", From::TwoThreads},
        {"the middle, the rest erased one by one while the document lives", From::ErasedFirst},
    };
    std::string text = "<list>";
    for (int item = 0; item < Items; ++item)
        text += "<item n=\"" + std::to_string(item) + "\" kind=\"a-value-longer-than-15\"/>";
    text += "</list>";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const int keptItem = row.from == From::End ? Items - 1 : Items / 2;
        NodePtr kept;
        {
            XMLDocument document;
            document.parseMarkup(text.c_str());
            NodePtr copy = row.from == From::Clone ? document.root().clone() : nullptr;
            XMLElement& list = *(copy ? *copy : document.root()).children.front();
            XMLElement others;  // every other item, freed on a thread of its own
            auto entry = list.children.begin();
            for (int item = 0; item < Items; ++item, ++entry) {
                if (item == keptItem)
                    kept = std::move(*entry);
                else if (row.from == From::TwoThreads && item % 2)
                    others.appendChild(std::move(*entry));
            }
            while (row.from == From::ErasedFirst && !list.children.empty())
                list.children.pop_front();
            std::thread freer([&others] { others.clear(); });
            copy.reset();
            document.parseMarkup("");
            freer.join();
        }
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->findAttribute("n"), std::to_string(keptItem));
        EXPECT_LE(residentInPagesOf(*kept), KeptNodeBound);
    }
}
#endif

}  // namespace
