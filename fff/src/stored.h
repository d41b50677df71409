#pragma once

#include <cstddef>
#include <span>
#include <type_traits>
#include <vector>

namespace fff {

// An array of plain records that either lies in memory someone else keeps (a mapped saved
// index) or is owned here. Reads go straight to wherever it lies; the first change copies it
// into memory of its own, so that an index loaded from a file and only searched is never
// copied, and one that changes copies only the arrays it changes. Not synchronised: the owner
// guards it, and a change may move the records (as a vector's growth does).
template <class T>
class Stored {
  static_assert(std::is_trivially_copyable_v<T>, "a stored record is written and read as its bytes");

 public:
  Stored() = default;
  Stored(std::size_t count, const T& value) : owned_(count, value) { refresh(); }
  Stored(Stored&& other) noexcept { *this = std::move(other); }
  Stored& operator=(Stored&& other) noexcept {
    owned_ = std::move(other.owned_);
    inPlace_ = other.inPlace_;
    data_ = inPlace_ ? other.data_ : owned_.data();
    size_ = other.size_;
    other.owned_.clear();
    other.inPlace_ = false;
    other.refresh();
    return *this;
  }
  Stored(const Stored&) = delete;
  Stored& operator=(const Stored&) = delete;

  // Reads `records` where they lie; they must outlive this array or its first change.
  void view(std::span<const T> records) {
    std::vector<T>().swap(owned_);
    inPlace_ = true;
    data_ = records.data();
    size_ = records.size();
  }
  // Copies the records out of where they lie, so that they no longer need it.
  void detach() { own(); }
  // True while the records are read where they lie, uncopied.
  bool inPlace() const { return inPlace_; }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T* data() const { return data_; }
  const T& operator[](std::size_t at) const { return data_[at]; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  const T& back() const { return data_[size_ - 1]; }
  std::span<const T> span() const { return {data_, size_}; }

  // Changes, each copying the records out of where they lie first.
  T& change(std::size_t at) { return own()[at]; }
  T& changeBack() { return own().back(); }
  void push_back(const T& value) {
    own().push_back(value);
    refresh();
  }
  T& emplace_back() {
    T& added = own().emplace_back();
    refresh();
    return added;
  }
  void append(const T* values, std::size_t count) {
    own().insert(owned_.end(), values, values + count);
    refresh();
  }
  void resize(std::size_t count, const T& value = T{}) {
    own().resize(count, value);
    refresh();
  }
  void assign(std::size_t count, const T& value) {
    inPlace_ = false;
    owned_.assign(count, value);
    refresh();
  }
  void reserve(std::size_t count) {
    own().reserve(count);
    refresh();
  }
  // Gives back memory held for growth; an array read in place holds none.
  void shrink_to_fit() {
    if (inPlace_) return;
    owned_.shrink_to_fit();
    refresh();
  }

 private:
  std::vector<T>& own() {
    if (inPlace_) {
      owned_.assign(data_, data_ + size_);
      inPlace_ = false;
      refresh();
    }
    return owned_;
  }
  void refresh() {
    data_ = owned_.data();
    size_ = owned_.size();
  }

  std::vector<T> owned_;
  bool inPlace_ = false;
  const T* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace fff
