#include "ui_core/values/ui_string_map.h"

#include <new>
#include <stdint.h>
#include <stdlib.h>
#include <wchar.h>

namespace SkinUI {

namespace {
constexpr int kMinBuckets = 16;
}

struct CStringMapUI::Node {
  CStringUI key;
  void* value;
  Node* prev;
  Node* next;
};

CStringMapUI::CStringMapUI(int buckets) : buckets_(nullptr), bucketCount_(0), count_(0) {
  Resize(buckets > kMinBuckets ? buckets : kMinBuckets);
}

CStringMapUI::~CStringMapUI() { FreeAll(); }

unsigned CStringMapUI::HashKey(const wchar_t* key) {
  if (key == nullptr) return 0;
  unsigned h = 0;
  for (size_t i = wcslen(key); i > 0; --i) h = h * 33u + static_cast<unsigned short>(key[i - 1]);
  return h;
}

unsigned CStringMapUI::BucketOf(const wchar_t* key) const {
  return HashKey(key) % static_cast<unsigned>(bucketCount_);
}

void CStringMapUI::FreeAll() {
  if (buckets_ != nullptr) {
    for (int i = 0; i < bucketCount_; ++i) {
      Node* node = buckets_[i];
      while (node != nullptr) {
        Node* next = node->next;
        node->~Node();
        free(node);
        node = next;
      }
    }
    free(buckets_);
  }
  buckets_ = nullptr;
  bucketCount_ = 0;
  count_ = 0;
}

void CStringMapUI::Resize(int buckets) {
  FreeAll();
  if (buckets <= 0 || static_cast<size_t>(buckets) > SIZE_MAX / sizeof(Node*)) return;
  buckets_ = static_cast<Node**>(calloc(static_cast<size_t>(buckets), sizeof(Node*)));
  if (buckets_ != nullptr) bucketCount_ = buckets;
}

void CStringMapUI::RemoveAll() { Resize(bucketCount_); }

CStringMapUI::Node* CStringMapUI::FindNode(const wchar_t* key, bool moveToFront) const {
  // Without buckets there is nothing to hash into: every operation fails instead of dividing by
  // a zero bucket count.
  if (key == nullptr || bucketCount_ == 0 || count_ == 0) return nullptr;
  const unsigned slot = BucketOf(key);
  for (Node* node = buckets_[slot]; node != nullptr; node = node->next) {
    if (node->key == key) {
      if (moveToFront && node->prev != nullptr) {
        node->prev->next = node->next;
        if (node->next != nullptr) node->next->prev = node->prev;
        node->prev = nullptr;
        node->next = buckets_[slot];
        buckets_[slot]->prev = node;
        buckets_[slot] = node;
      }
      return node;
    }
  }
  return nullptr;
}

void* CStringMapUI::Find(const wchar_t* key, bool moveToFront) const {
  Node* node = FindNode(key, moveToFront);
  return node != nullptr ? node->value : nullptr;
}

bool CStringMapUI::Insert(const wchar_t* key, void* value) {
  if (key == nullptr || bucketCount_ == 0 || count_ == INT32_MAX) return false;
  if (FindNode(key, true) != nullptr) return false;
  void* memory = malloc(sizeof(Node));
  if (memory == nullptr) return false;
  Node* node = new (memory) Node{CStringUI(key), value, nullptr, nullptr};
  const unsigned slot = BucketOf(key);
  node->next = buckets_[slot];
  if (node->next != nullptr) node->next->prev = node;
  buckets_[slot] = node;
  ++count_;
  return true;
}

void* CStringMapUI::Set(const wchar_t* key, void* value) {
  if (key == nullptr || bucketCount_ == 0) return value;
  if (Node* node = FindNode(key, true)) {
    void* previous = node->value;
    node->value = value;
    return previous;
  }
  // A value that could not be stored goes back to the caller, as with no buckets.
  return Insert(key, value) ? nullptr : value;
}

bool CStringMapUI::Remove(const wchar_t* key) {
  Node* node = FindNode(key, false);
  if (node == nullptr) return false;
  if (node->prev != nullptr) {
    node->prev->next = node->next;
  } else {
    buckets_[BucketOf(key)] = node->next;
  }
  if (node->next != nullptr) node->next->prev = node->prev;
  node->~Node();
  free(node);
  --count_;
  return true;
}

const wchar_t* CStringMapUI::GetAt(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  int seen = 0;
  for (int i = bucketCount_ - 1; i >= 0; --i) {
    for (Node* node = buckets_[i]; node != nullptr; node = node->next) {
      if (seen == index) return node->key.GetData();
      ++seen;
    }
  }
  return nullptr;
}

}  // namespace SkinUI
