#include "ui_core/values/ui_arrays.h"

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace SkinUI {

namespace {

constexpr int kFirstCapacity = 11;

// The capacity after one more entry arrives: twice the old one, 11 from nothing. Zero when that
// would not fit an int or a byte count of the address space.
int NextCapacity(int capacity, size_t elementSize) {
  if (capacity <= 0) return kFirstCapacity;
  if (capacity > INT_MAX / 2) return 0;
  const int next = capacity * 2;
  if (elementSize != 0 && static_cast<size_t>(next) > SIZE_MAX / elementSize) return 0;
  return next;
}

}  // namespace

// ---- CPtrArrayUI ----

CPtrArrayUI::CPtrArrayUI(int preallocate) : items_(nullptr), count_(0), capacity_(0) {
  if (preallocate > 0 && static_cast<size_t>(preallocate) <= SIZE_MAX / sizeof(void*)) {
    items_ = static_cast<void**>(malloc(static_cast<size_t>(preallocate) * sizeof(void*)));
    if (items_ != nullptr) capacity_ = preallocate;
  }
}

CPtrArrayUI::CPtrArrayUI(const CPtrArrayUI& other) : items_(nullptr), count_(0), capacity_(0) {
  for (int i = 0; i < other.count_; ++i) Add(other.items_[i]);
}

CPtrArrayUI& CPtrArrayUI::operator=(const CPtrArrayUI& other) {
  if (this != &other) {
    Empty();
    for (int i = 0; i < other.count_; ++i) Add(other.items_[i]);
  }
  return *this;
}

CPtrArrayUI::~CPtrArrayUI() { free(items_); }

void CPtrArrayUI::Empty() {
  free(items_);
  items_ = nullptr;
  count_ = 0;
  capacity_ = 0;
}

void CPtrArrayUI::Resize(int count) {
  Empty();
  if (count <= 0 || static_cast<size_t>(count) > SIZE_MAX / sizeof(void*)) return;
  items_ = static_cast<void**>(calloc(static_cast<size_t>(count), sizeof(void*)));
  if (items_ == nullptr) return;
  count_ = count;
  capacity_ = count;
}

bool CPtrArrayUI::GrowForOneMore() {
  if (count_ == INT_MAX) return false;
  ++count_;
  if (count_ >= capacity_) {
    const int next = NextCapacity(capacity_, sizeof(void*));
    void** grown = next > 0
        ? static_cast<void**>(realloc(items_, static_cast<size_t>(next) * sizeof(void*)))
        : nullptr;
    if (grown == nullptr) {
      --count_;
      return false;
    }
    items_ = grown;
    capacity_ = next;
  }
  return true;
}

bool CPtrArrayUI::Add(void* p) {
  if (!GrowForOneMore()) return false;
  items_[count_ - 1] = p;
  return true;
}

bool CPtrArrayUI::InsertAt(int index, void* p) {
  if (index < 0 || index > count_) return false;
  if (!GrowForOneMore()) return false;
  memmove(&items_[index + 1], &items_[index],
          static_cast<size_t>(count_ - 1 - index) * sizeof(void*));
  items_[index] = p;
  return true;
}

bool CPtrArrayUI::Remove(int index, int count) {
  if (index < 0 || count <= 0 || index > count_ - count) return false;
  memmove(&items_[index], &items_[index + count],
          static_cast<size_t>(count_ - index - count) * sizeof(void*));
  count_ -= count;
  return true;
}

int CPtrArrayUI::Find(void* p) const {
  for (int i = 0; i < count_; ++i) {
    if (items_[i] == p) return i;
  }
  return -1;
}

void* CPtrArrayUI::GetAt(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  return items_[index];
}

// ---- CValArrayUI ----

CValArrayUI::CValArrayUI(int elementSize, int preallocate)
    : data_(nullptr), elementSize_(elementSize > 0 ? elementSize : 0), count_(0), capacity_(0) {
  const size_t size = static_cast<size_t>(elementSize_);
  if (preallocate > 0 && size != 0 && static_cast<size_t>(preallocate) <= SIZE_MAX / size) {
    data_ = static_cast<unsigned char*>(malloc(static_cast<size_t>(preallocate) * size));
    if (data_ != nullptr) capacity_ = preallocate;
  }
}

CValArrayUI::~CValArrayUI() { free(data_); }

bool CValArrayUI::Add(const void* record) {
  if (count_ == INT_MAX) return false;
  const size_t size = static_cast<size_t>(elementSize_);
  ++count_;
  if (count_ >= capacity_) {
    const int next = NextCapacity(capacity_, size);
    // realloc of 0 bytes may hand back null; a record of no bytes needs no storage at all.
    unsigned char* grown = data_;
    if (next > 0 && size != 0) {
      grown = static_cast<unsigned char*>(realloc(data_, static_cast<size_t>(next) * size));
    }
    if (next == 0 || (size != 0 && grown == nullptr)) {
      --count_;
      return false;
    }
    data_ = grown;
    capacity_ = next;
  }
  if (size != 0) {
    unsigned char* slot = data_ + static_cast<size_t>(count_ - 1) * size;
    if (record != nullptr) {
      memcpy(slot, record, size);
    } else {
      memset(slot, 0, size);
    }
  }
  return true;
}

bool CValArrayUI::Remove(int index, int count) {
  if (index < 0 || count <= 0 || index > count_ - count) return false;
  const size_t size = static_cast<size_t>(elementSize_);
  if (size != 0) {
    memmove(data_ + static_cast<size_t>(index) * size,
            data_ + static_cast<size_t>(index + count) * size,
            static_cast<size_t>(count_ - index - count) * size);
  }
  count_ -= count;
  return true;
}

void* CValArrayUI::GetAt(int index) const {
  return data_ + static_cast<size_t>(index) * static_cast<size_t>(elementSize_);
}

}  // namespace SkinUI
