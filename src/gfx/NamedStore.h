#pragma once
// A map from wide names to values that iterates in insertion order, so that
// everything rebuilt after a device reset is rebuilt in the order it was made.
#include <list>
#include <string>
#include <unordered_map>
#include <utility>

namespace tav {

template <typename Value>
class NamedStore {
 public:
  using Entry = std::pair<const std::wstring, Value>;

  // False, leaving the store unchanged, when the name is present.
  bool Insert(const std::wstring& name, Value value) {
    if (index_.count(name)) return false;
    entries_.emplace_back(name, std::move(value));
    index_.emplace(name, std::prev(entries_.end()));
    return true;
  }
  Value* Find(const std::wstring& name) {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &it->second->second;
  }
  const Value* Find(const std::wstring& name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &it->second->second;
  }
  bool Erase(const std::wstring& name) {
    auto it = index_.find(name);
    if (it == index_.end()) return false;
    entries_.erase(it->second);
    index_.erase(it);
    return true;
  }
  void Clear() {
    index_.clear();
    entries_.clear();
  }
  size_t Size() const { return entries_.size(); }
  auto begin() { return entries_.begin(); }
  auto end() { return entries_.end(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
  std::list<Entry> entries_;
  std::unordered_map<std::wstring, typename std::list<Entry>::iterator> index_;
};

}  // namespace tav
