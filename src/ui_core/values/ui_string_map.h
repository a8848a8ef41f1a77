#pragma once
// String-keyed hash map of untyped pointers. The map owns its nodes and keys, never the values.
// Keys compare exactly (case-sensitive). A found entry moves to the head of its bucket, so that
// names looked up again and again stay cheap.
#include "ui_core/values/ui_string.h"

namespace SkinUI {

class CStringMapUI {
public:
  explicit CStringMapUI(int buckets = 83);  // at least 16 buckets
  CStringMapUI(const CStringMapUI&) = delete;
  CStringMapUI& operator=(const CStringMapUI&) = delete;
  ~CStringMapUI();

  void* Find(const wchar_t* key, bool moveToFront = true) const;
  bool Insert(const wchar_t* key, void* value);
  // Stores value under key and returns the value it replaced (null when new). A map without
  // buckets stores nothing and hands the value back so that the caller can dispose of it.
  void* Set(const wchar_t* key, void* value);
  bool Remove(const wchar_t* key);
  int GetSize() const { return count_; }
  // Key of the index-th entry, counting from the last bucket to the first; null out of range.
  const wchar_t* GetAt(int index) const;
  void Resize(int buckets);  // drops every entry; 0 or less leaves the map without buckets
  void RemoveAll();

  static unsigned HashKey(const wchar_t* key);

private:
  struct Node;
  Node* FindNode(const wchar_t* key, bool moveToFront) const;
  void FreeAll();
  unsigned BucketOf(const wchar_t* key) const;

  Node** buckets_;
  int bucketCount_;
  int count_;
};

}  // namespace SkinUI
