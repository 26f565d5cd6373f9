#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// A position in a CList: the node of one element, or null for none.
struct POSITION_;
using POSITION = POSITION_*;

// The framework's doubly linked list. It owns its elements; nodes come from blocks of
// nBlockSize, freed nodes are reused, and the blocks are released when the list becomes empty.
template <typename T> class CList {
public:
    explicit CList(int nBlockSize = 10) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;
    ~CList() { RemoveAll(); }

    int GetCount() const { return m_nCount; }
    int GetSize() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    T& GetHead() { return m_pHead->value(); }
    const T& GetHead() const { return m_pHead->value(); }
    T& GetTail() { return m_pTail->value(); }
    const T& GetTail() const { return m_pTail->value(); }

    POSITION GetHeadPosition() const { return ToPos(m_pHead); }
    POSITION GetTailPosition() const { return ToPos(m_pTail); }

    // Returns the element at pos and moves pos to the next (or previous) one.
    T& GetNext(POSITION& pos) {
        Node* node = ToNode(pos);
        pos = ToPos(node->next);
        return node->value();
    }
    T& GetPrev(POSITION& pos) {
        Node* node = ToNode(pos);
        pos = ToPos(node->prev);
        return node->value();
    }
    T& GetAt(POSITION pos) { return ToNode(pos)->value(); }
    const T& GetAt(POSITION pos) const { return ToNode(pos)->value(); }
    void SetAt(POSITION pos, const T& value) { ToNode(pos)->value() = value; }

    POSITION AddHead(const T& value) { return InsertBefore(GetHeadPosition(), value); }
    POSITION AddTail(const T& value) { return InsertAfter(GetTailPosition(), value); }

    // With a null position these insert at the head (InsertBefore) or tail (InsertAfter).
    POSITION InsertBefore(POSITION pos, const T& value) {
        Node* at = ToNode(pos);
        Node* node = NewNode(value);
        node->next = at ? at : m_pHead;
        node->prev = node->next ? node->next->prev : nullptr;
        Link(node);
        return ToPos(node);
    }
    POSITION InsertAfter(POSITION pos, const T& value) {
        Node* at = ToNode(pos);
        Node* node = NewNode(value);
        node->prev = at ? at : m_pTail;
        node->next = node->prev ? node->prev->next : nullptr;
        Link(node);
        return ToPos(node);
    }

    T RemoveHead() { return TakeAt(GetHeadPosition()); }
    T RemoveTail() { return TakeAt(GetTailPosition()); }
    void RemoveAt(POSITION pos) { FreeNode(Unlink(ToNode(pos))); }

    void RemoveAll() {
        for (Node* node = m_pHead; node;) {
            Node* next = node->next;
            std::destroy_at(&node->value());
            node = next;
        }
        m_pHead = m_pTail = m_pFree = nullptr;
        m_nCount = 0;
        m_blocks.clear();
    }

    // Position of the element at a zero-based index, or null when out of range.
    POSITION FindIndex(int index) const {
        if (index < 0 || index >= m_nCount)
            return nullptr;
        Node* node = m_pHead;
        while (index-- > 0)
            node = node->next;
        return ToPos(node);
    }

    // Number of node blocks held; tests watch that it stays bounded.
    std::size_t BlockCount() const { return m_blocks.size(); }

private:
    struct Node {
        Node* next = nullptr;
        Node* prev = nullptr;
        alignas(T) std::byte storage[sizeof(T)];
        T& value() { return *std::launder(reinterpret_cast<T*>(storage)); }
    };

    static POSITION ToPos(Node* node) { return reinterpret_cast<POSITION>(node); }
    static Node* ToNode(POSITION pos) { return reinterpret_cast<Node*>(pos); }

    Node* NewNode(const T& value) {
        if (!m_pFree) {
            auto block = std::make_unique<Node[]>(static_cast<std::size_t>(m_nBlockSize));
            for (int i = m_nBlockSize - 1; i >= 0; --i) {
                block[i].next = m_pFree;
                m_pFree = &block[i];
            }
            m_blocks.push_back(std::move(block));
        }
        Node* node = m_pFree;
        std::construct_at(&node->value(), value);
        m_pFree = node->next;
        node->next = node->prev = nullptr;
        ++m_nCount;
        return node;
    }

    void Link(Node* node) {
        (node->prev ? node->prev->next : m_pHead) = node;
        (node->next ? node->next->prev : m_pTail) = node;
    }

    Node* Unlink(Node* node) {
        (node->prev ? node->prev->next : m_pHead) = node->next;
        (node->next ? node->next->prev : m_pTail) = node->prev;
        return node;
    }

    void FreeNode(Node* node) {
        std::destroy_at(&node->value());
        node->next = m_pFree;
        m_pFree = node;
        if (--m_nCount == 0)
            RemoveAll();
    }

    T TakeAt(POSITION pos) {
        Node* node = Unlink(ToNode(pos));
        T value = std::move(node->value());
        FreeNode(node);
        return value;
    }

    int m_nBlockSize;
    int m_nCount = 0;
    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    Node* m_pFree = nullptr;
    std::vector<std::unique_ptr<Node[]>> m_blocks;
};
