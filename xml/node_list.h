// NodeList<T>: the doubly linked list behind XMLElement::attributes and
// XMLElement::children, with std::list's interface for what a tree needs
// (iteration both ways, size, front, back, insert, erase, splice). A link may
// come from a node arena, so the parsers build a tree without a heap call per
// entry; every link is freed alike, so entries splice freely between lists
// and documents:
//
//     tarvik::xml::NodeList<std::string> names;
//     names.push_back("a");                        // a link on the heap
//     names.emplaceBackIn(&store, "b");            // a link from the arena `store`
//
// NodeList<T, Owner>: a list that belongs to an Owner, as children belong to
// their element. T is a std::unique_ptr to a node with `Owner* parent`; each
// node that enters the list, whichever way, gets the list's owner (or null)
// as `parent`. A Drain frees what it takes, so it sets nothing.
#ifndef TARVIK_XML_NODE_LIST_H
#define TARVIK_XML_NODE_LIST_H

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <new>
#include <type_traits>
#include <utility>

#include "xml/detail/node_store.h"

namespace tarvik::xml {

namespace detail {

// The owner a list of nodes keeps; nothing for a list of plain values.
template <typename Owner>
struct OwnerSlot {
    Owner* owner = nullptr;
};
template <>
struct OwnerSlot<void> {};

}  // namespace detail

template <typename T, typename Owner = void>
class NodeList : private detail::OwnerSlot<Owner> {
    static constexpr bool HasOwner = !std::is_void_v<Owner>;

    // A ring through the list's own sentinel, so no end needs a test.
    struct LinkBase {
        LinkBase* prev;
        LinkBase* next;
    };
    struct Link : LinkBase {
        T value;
        template <typename... Args>
        explicit Link(Args&&... args)
            : LinkBase{nullptr, nullptr}, value(std::forward<Args>(args)...) {}
    };
    static_assert(alignof(Link) <= detail::BlockAlignment,
                  "a NodeList entry may not need more alignment than plain new gives");

    template <bool Const>
    class Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = std::conditional_t<Const, const T*, T*>;
        using reference = std::conditional_t<Const, const T&, T&>;

        Iterator() = default;
        // An iterator converts to its const twin, as std::list's does.
        template <bool OtherConst, typename = std::enable_if_t<Const && !OtherConst>>
        Iterator(const Iterator<OtherConst>& other) : link_(other.link_) {}

        reference operator*() const { return static_cast<Link*>(link_)->value; }
        pointer operator->() const { return &static_cast<Link*>(link_)->value; }
        Iterator& operator++() {
            link_ = link_->next;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            link_ = link_->next;
            return before;
        }
        Iterator& operator--() {
            link_ = link_->prev;
            return *this;
        }
        Iterator operator--(int) {
            Iterator before = *this;
            link_ = link_->prev;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.link_ == b.link_; }
        friend bool operator!=(const Iterator& a, const Iterator& b) { return a.link_ != b.link_; }

    private:
        friend class NodeList;
        template <bool>
        friend class Iterator;
        explicit Iterator(const LinkBase* link) : link_(const_cast<LinkBase*>(link)) {}

        LinkBase* link_ = nullptr;
    };

public:
    using value_type = T;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = T&;
    using const_reference = const T&;
    using iterator = Iterator<false>;
    using const_iterator = Iterator<true>;
    using reverse_iterator = std::reverse_iterator<iterator>;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;

    // An empty list.
    NodeList() noexcept { reset(); }
    // An empty list that belongs to `listOwner` for good, its entries' parent.
    template <typename O = Owner, typename = std::enable_if_t<!std::is_void_v<O>>>
    explicit NodeList(O* listOwner) noexcept : NodeList() {
        this->owner = listOwner;
    }
    // Copies every entry, in order, into links on the heap.
    NodeList(const NodeList& other) : NodeList() { append(other); }
    // A list of the given entries, in order.
    NodeList(std::initializer_list<T> entries) : NodeList() {
        for (const T& entry : entries)
            push_back(entry);
    }
    // Takes over every link of `other`, which is left empty. The new list
    // belongs to nothing, whatever `other` belongs to.
    NodeList(NodeList&& other) noexcept : NodeList() { takeLinks(other); }
    // Replaces the entries with copies of `other`'s.
    NodeList& operator=(const NodeList& other) {
        if (this != &other) {
            NodeList copy(other);
            swap(copy);
        }
        return *this;
    }
    // Replaces the entries with `other`'s links; `other` is left empty. Each
    // list keeps its owner.
    NodeList& operator=(NodeList&& other) noexcept {
        if (this != &other) {
            clear();
            takeLinks(other);
        }
        return *this;
    }
    // Destroys every entry, first to last.
    ~NodeList() {
        if (!empty())
            clear();
    }

    iterator begin() noexcept { return iterator(sentinel_.next); }
    const_iterator begin() const noexcept { return const_iterator(sentinel_.next); }
    const_iterator cbegin() const noexcept { return begin(); }
    iterator end() noexcept { return iterator(&sentinel_); }
    const_iterator end() const noexcept { return const_iterator(&sentinel_); }
    const_iterator cend() const noexcept { return end(); }
    reverse_iterator rbegin() noexcept { return reverse_iterator(end()); }
    const_reverse_iterator rbegin() const noexcept { return const_reverse_iterator(end()); }
    const_reverse_iterator crbegin() const noexcept { return rbegin(); }
    reverse_iterator rend() noexcept { return reverse_iterator(begin()); }
    const_reverse_iterator rend() const noexcept { return const_reverse_iterator(begin()); }
    const_reverse_iterator crend() const noexcept { return rend(); }

    // True when the list holds nothing.
    bool empty() const noexcept { return size_ == 0; }
    // Number of entries, counted as they come and go (constant time).
    size_type size() const noexcept { return size_; }

    // The first and the last entry; the list must not be empty.
    T& front() { return *begin(); }
    const T& front() const { return *begin(); }
    T& back() { return *std::prev(end()); }
    const T& back() const { return *std::prev(end()); }

    // Builds an entry from `args` before `position`, its link from the arena
    // `store` (null: the heap). Returns its position; throws std::bad_alloc.
    template <typename... Args>
    iterator emplaceIn(detail::NodeStore* store, const_iterator position, Args&&... args) {
        void* memory = detail::allocateBlock(store, sizeof(Link));
        Link* link;
        try {
            link = new (memory) Link(std::forward<Args>(args)...);
        } catch (...) {
            detail::releaseBlock(memory);
            throw;
        }
        linkBefore(position.link_, link);
        adopt(link);
        return iterator(link);
    }
    // The same at the end; returns the new entry.
    template <typename... Args>
    T& emplaceBackIn(detail::NodeStore* store, Args&&... args) {
        return *emplaceIn(store, end(), std::forward<Args>(args)...);
    }

    // The std::list operations that put entries in, each link on the heap.
    template <typename... Args>
    iterator emplace(const_iterator position, Args&&... args) {
        return emplaceIn(nullptr, position, std::forward<Args>(args)...);
    }
    template <typename... Args>
    T& emplace_back(Args&&... args) {
        return emplaceBackIn(nullptr, std::forward<Args>(args)...);
    }
    template <typename... Args>
    T& emplace_front(Args&&... args) {
        return *emplace(begin(), std::forward<Args>(args)...);
    }
    iterator insert(const_iterator position, const T& value) { return emplace(position, value); }
    iterator insert(const_iterator position, T&& value) {
        return emplace(position, std::move(value));
    }
    void push_back(const T& value) { emplace_back(value); }
    void push_back(T&& value) { emplace_back(std::move(value)); }
    void push_front(const T& value) { emplace_front(value); }
    void push_front(T&& value) { emplace_front(std::move(value)); }

    // Destroys the entry at `position`; returns the position after it.
    iterator erase(const_iterator position) {
        detail::BlockRelease released;
        return erase(position, released);
    }
    // The same, its link freed through `released`.
    iterator erase(const_iterator position, detail::BlockRelease& released) {
        LinkBase* link = position.link_;
        LinkBase* next = link->next;
        unlink(link);
        destroy(static_cast<Link*>(link), released);
        return iterator(next);
    }
    // Destroys the entries in [first, last); returns `last`.
    iterator erase(const_iterator first, const_iterator last) {
        while (first != last)
            first = erase(first);
        return iterator(last.link_);
    }
    // Destroy the first or the last entry; the list must not be empty.
    void pop_front() { erase(begin()); }
    void pop_back() { erase(std::prev(end())); }
    // Destroys every entry, first to last.
    void clear() noexcept {
        if (empty())  // a copy clears its new node's empty list: no release to set up
            return;
        detail::BlockRelease released;
        clear(released);
    }
    // The same, the links freed through `released`.
    void clear(detail::BlockRelease& released) noexcept {
        LinkBase* link = sentinel_.next;
        reset();
        while (link != &sentinel_) {
            LinkBase* next = link->next;
            destroy(static_cast<Link*>(link), released);
            link = next;
        }
    }

    // Moves every entry of `other` before `position`, without copying or
    // allocating; `other` is left empty.
    void splice(const_iterator position, NodeList& other) noexcept {
        if (other.empty() || &other == this)
            return;
        LinkBase* first = other.sentinel_.next;
        LinkBase* last = other.sentinel_.prev;
        const size_type count = other.size_;
        other.reset();
        LinkBase* at = position.link_;
        first->prev = at->prev;
        last->next = at;
        at->prev->next = first;
        at->prev = last;
        size_ += count;
        adopt(first, at);
    }
    void splice(const_iterator position, NodeList&& other) noexcept { splice(position, other); }
    // Moves the entry at `from` in `other` before `position`.
    void splice(const_iterator position, NodeList& other, const_iterator from) noexcept {
        LinkBase* link = from.link_;
        if (link == position.link_ || link->next == position.link_)
            return;
        other.unlink(link);
        linkBefore(position.link_, link);
        adopt(link);
    }

    // Takes a list apart front to back, for freeing a tree; the list is empty
    // at once. Entries stay chained by next pointers only, so moving a whole
    // list in front of them writes one link instead of relinking both ways.
    class Drain {
    public:
        explicit Drain(NodeList& list) noexcept : at_(list.sentinel_.next), end_(&list.sentinel_) {
            list.reset();
        }
        Drain(const Drain&) = delete;
        Drain& operator=(const Drain&) = delete;
        // Destroys whatever is left.
        ~Drain() {
            detail::BlockRelease released;
            while (!empty())
                popFront(released);
        }

        bool empty() const noexcept { return at_ == end_; }
        // The first entry left; the drain must not be empty.
        T& front() noexcept { return static_cast<Link*>(at_)->value; }
        // Destroys the first entry left, its link freed through `released`.
        void popFront(detail::BlockRelease& released) noexcept {
            Link* link = static_cast<Link*>(at_);
            at_ = link->next;
            destroy(link, released);
        }
        // Moves every entry of `list` in front of those left; `list` is left empty.
        void spliceFront(NodeList& list) noexcept {
            if (list.empty())
                return;
            list.sentinel_.prev->next = at_;
            at_ = list.sentinel_.next;
            list.reset();
        }

    private:
        LinkBase* at_;
        LinkBase* end_;
    };

    // Exchanges the entries of two lists; each list keeps its owner.
    void swap(NodeList& other) noexcept {
        NodeList held(std::move(other));
        other.takeLinks(*this);
        takeLinks(held);
    }

private:
    void reset() noexcept {
        sentinel_.prev = sentinel_.next = &sentinel_;
        size_ = 0;
    }
    // Moves `other`'s ring onto this empty list.
    void takeLinks(NodeList& other) noexcept {
        if (other.empty())
            return;
        sentinel_ = other.sentinel_;
        sentinel_.next->prev = sentinel_.prev->next = &sentinel_;
        size_ = other.size_;
        other.reset();
        adopt(sentinel_.next, &sentinel_);
    }
    // Makes this list's owner the parent of the node at `link`, if any.
    void adopt(LinkBase* link) noexcept {
        if constexpr (HasOwner) {
            T& node = static_cast<Link*>(link)->value;
            if (node)
                node->parent = this->owner;
        }
    }
    // The same for the links from `first` up to `end`.
    void adopt(LinkBase* first, const LinkBase* end) noexcept {
        if constexpr (HasOwner) {
            for (LinkBase* link = first; link != end; link = link->next)
                adopt(link);
        }
    }
    void append(const NodeList& other) {
        for (const T& entry : other)
            push_back(entry);
    }
    void linkBefore(LinkBase* at, LinkBase* link) noexcept {
        link->next = at;
        link->prev = at->prev;
        at->prev->next = link;
        at->prev = link;
        ++size_;
    }
    void unlink(LinkBase* link) noexcept {
        link->prev->next = link->next;
        link->next->prev = link->prev;
        --size_;
    }
    static void destroy(Link* link, detail::BlockRelease& released) noexcept {
        link->~Link();
        released.release(link);
    }

    LinkBase sentinel_;
    size_type size_;
};

// Equal when both hold equal entries in the same order.
template <typename T, typename Owner>
bool operator==(const NodeList<T, Owner>& a, const NodeList<T, Owner>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}
template <typename T, typename Owner>
bool operator!=(const NodeList<T, Owner>& a, const NodeList<T, Owner>& b) {
    return !(a == b);
}

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_LIST_H
