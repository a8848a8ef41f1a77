#pragma once
// Growable arrays on the C heap: one of untyped pointers (never owning what they point to) and
// one of fixed-size records copied in and out byte by byte. Growth failures are results, not
// exceptions: the array keeps what it held.

namespace SkinUI {

class CPtrArrayUI {
public:
  explicit CPtrArrayUI(int preallocate = 0);
  CPtrArrayUI(const CPtrArrayUI& other);
  CPtrArrayUI& operator=(const CPtrArrayUI& other);
  ~CPtrArrayUI();

  bool Add(void* p);
  bool InsertAt(int index, void* p);  // index 0..count; count appends
  bool Remove(int index, int count = 1);
  int Find(void* p) const;
  void* GetAt(int index) const;  // null outside 0..count-1
  void* operator[](int index) const { return items_[index]; }  // caller keeps index in range
  int GetSize() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }
  void Empty();
  void Resize(int count);  // count null entries, nothing else

  int GetCapacity() const { return capacity_; }

private:
  bool GrowForOneMore();

  void** items_;
  int count_;
  int capacity_;
};

class CValArrayUI {
public:
  CValArrayUI(int elementSize, int preallocate = 0);
  CValArrayUI(const CValArrayUI&) = delete;
  CValArrayUI& operator=(const CValArrayUI&) = delete;
  ~CValArrayUI();

  bool Add(const void* record);
  bool Remove(int index, int count = 1);
  void* GetAt(int index) const;  // no bound check: caller keeps index in range
  int GetSize() const { return count_; }

  int GetCapacity() const { return capacity_; }

private:
  unsigned char* data_;
  int elementSize_;
  int count_;
  int capacity_;
};

}  // namespace SkinUI
