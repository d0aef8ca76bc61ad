// The hashed table behind the grid classes' keyed maps.
//
// A bucket array (allocated on the first insertion) of singly linked chains;
// nodes are carved from blocks (10 nodes a block by default) and recycled
// through a free list. A new key is linked in at the head of its bucket's
// chain, so iteration visits buckets in ascending order and, within one
// bucket, the most recently inserted key first. Archives list pairs in this
// order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

template <class Key, class Value, class Hash>
class GSHashTable {
 public:
  explicit GSHashTable(uint32_t buckets, uint32_t blockSize = 10)
      : m_nHashSize(buckets == 0 ? 17 : buckets), m_nBlockSize(blockSize == 0 ? 10 : blockSize) {}
  GSHashTable(const GSHashTable&) = delete;
  GSHashTable& operator=(const GSHashTable&) = delete;

  size_t Count() const { return m_nCount; }
  uint32_t HashSize() const { return m_nHashSize; }
  bool HasBuckets() const { return !m_buckets.empty(); }
  size_t BlockCount() const { return m_blocks.size(); }

  Value* Find(const Key& key) {
    if (m_buckets.empty()) return nullptr;
    for (Node* n = m_buckets[Bucket(key)]; n != nullptr; n = n->next)
      if (n->key == key) return &n->value;
    return nullptr;
  }
  const Value* Find(const Key& key) const { return const_cast<GSHashTable*>(this)->Find(key); }

  // The value of the key; a missing key is inserted with a value-initialised value.
  Value& At(const Key& key) {
    if (Value* v = Find(key)) return *v;
    if (m_buckets.empty()) m_buckets.assign(m_nHashSize, nullptr);
    Node* n = NewNode();
    n->key = key;
    uint32_t b = Bucket(key);
    n->next = m_buckets[b];
    m_buckets[b] = n;
    ++m_nCount;
    return n->value;
  }

  bool Remove(const Key& key) {
    if (m_buckets.empty()) return false;
    Node** link = &m_buckets[Bucket(key)];
    for (Node* n = *link; n != nullptr; link = &n->next, n = n->next) {
      if (n->key == key) {
        *link = n->next;
        FreeNode(n);
        --m_nCount;
        return true;
      }
    }
    return false;
  }

  // Frees every node, all blocks and the bucket array.
  void Clear() {
    m_buckets.clear();
    m_blocks.clear();
    m_free = nullptr;
    m_nCount = 0;
  }

  // New bucket count; the bucket array is reallocated zero-filled. Keys
  // already present are linked into their new buckets, so none is lost.
  void SetHashSize(uint32_t buckets) {
    if (buckets == 0) return;
    std::vector<Node*> nodes;
    ForEachNode([&](Node* n) { nodes.push_back(n); });
    m_nHashSize = buckets;
    if (m_buckets.empty() && nodes.empty()) return;
    m_buckets.assign(m_nHashSize, nullptr);
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
      uint32_t b = Bucket((*it)->key);
      (*it)->next = m_buckets[b];
      m_buckets[b] = *it;
    }
  }

  // Visits every pair in bucket order.
  template <class F>
  void ForEach(F f) const {
    for (Node* head : m_buckets)
      for (Node* n = head; n != nullptr; n = n->next) f(n->key, n->value);
  }
  template <class F>
  void ForEachMutable(F f) {
    for (Node* head : m_buckets)
      for (Node* n = head; n != nullptr; n = n->next) f(n->key, n->value);
  }

 private:
  struct Node {
    Node* next = nullptr;
    Key key{};
    Value value{};
  };

  template <class F>
  void ForEachNode(F f) {
    for (Node* head : m_buckets)
      for (Node* n = head; n != nullptr; n = n->next) f(n);
  }

  uint32_t Bucket(const Key& key) const { return Hash{}(key) % m_nHashSize; }

  Node* NewNode() {
    if (m_free == nullptr) {
      m_blocks.push_back(std::make_unique<Node[]>(m_nBlockSize));
      Node* block = m_blocks.back().get();
      for (uint32_t i = m_nBlockSize; i-- > 0;) {
        block[i].next = m_free;
        m_free = &block[i];
      }
    }
    Node* n = m_free;
    m_free = n->next;
    n->next = nullptr;
    return n;
  }

  void FreeNode(Node* n) {
    n->key = Key{};
    n->value = Value{};
    n->next = m_free;
    m_free = n;
  }

  uint32_t m_nHashSize;
  uint32_t m_nBlockSize;
  size_t m_nCount = 0;
  std::vector<Node*> m_buckets;
  std::vector<std::unique_ptr<Node[]>> m_blocks;
  Node* m_free = nullptr;
};
