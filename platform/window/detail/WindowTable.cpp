// The table of windows: slots addressed by handle, each with a generation that
// grows whenever the slot is freed, so old handles stop matching.
#include "platform/window/detail/WindowTable.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace platform::detail {
namespace {

struct Slot {
  std::uint32_t generation = 1;
  std::shared_ptr<WindowRecord> record;
};

struct Table {
  // Shared for lookups, which every post, send and dispatch makes.
  std::shared_mutex mutex;
  std::vector<Slot> slots;
  std::vector<std::uint32_t> freeSlots;
  std::map<std::string, WNDCLASS> classes;
  std::map<std::string, std::string> classNames;  // stable storage for lpszClassName
};

// NOTE: never destroyed, so windows that outlive static destruction (thread
// exit after main returns) still find their table.
Table& TheTable() {
  static Table* table = new Table;
  return *table;
}

HWND MakeHandle(std::uint32_t index, std::uint32_t generation) {
  std::uint64_t value =
      (static_cast<std::uint64_t>(generation) << 32) | (static_cast<std::uint64_t>(index) + 1);
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

// The slot a handle names when its generation still matches, else null.
Slot* SlotOf(Table& table, HWND hwnd) {
  std::uint64_t value = reinterpret_cast<std::uintptr_t>(hwnd);
  std::uint64_t indexPlusOne = value & 0xFFFFFFFFu;
  if (indexPlusOne == 0 || indexPlusOne > table.slots.size()) return nullptr;
  Slot& slot = table.slots[indexPlusOne - 1];
  if (slot.generation != (value >> 32) || !slot.record) return nullptr;
  return &slot;
}

}  // namespace

HWND AddWindow(const std::shared_ptr<WindowRecord>& record) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  std::uint32_t index;
  if (!table.freeSlots.empty()) {
    index = table.freeSlots.back();
    table.freeSlots.pop_back();
  } else {
    if (table.slots.size() >= 0xFFFFFFF0u) return nullptr;
    index = static_cast<std::uint32_t>(table.slots.size());
    table.slots.emplace_back();
  }
  Slot& slot = table.slots[index];
  slot.record = record;
  record->handle = MakeHandle(index, slot.generation);
  return record->handle;
}

void RemoveWindow(HWND hwnd) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  Slot* slot = SlotOf(table, hwnd);
  if (!slot) return;
  slot->record.reset();
  // A slot whose generation would wrap is retired rather than reused.
  if (++slot->generation != 0)
    table.freeSlots.push_back(static_cast<std::uint32_t>(slot - table.slots.data()));
}

std::shared_ptr<WindowRecord> FindWindow(HWND hwnd) {
  Table& table = TheTable();
  std::shared_lock lock(table.mutex);
  Slot* slot = SlotOf(table, hwnd);
  return slot ? slot->record : nullptr;
}

std::vector<HWND> WindowsOwnedBy(const ThreadQueue* owner) {
  Table& table = TheTable();
  std::shared_lock lock(table.mutex);
  std::vector<HWND> topLevel, children;
  for (const Slot& slot : table.slots) {
    if (!slot.record || slot.record->owner.get() != owner) continue;
    (slot.record->parent ? children : topLevel).push_back(slot.record->handle);
  }
  topLevel.insert(topLevel.end(), children.begin(), children.end());
  return topLevel;
}

std::unique_lock<std::shared_mutex> LockTable() { return std::unique_lock(TheTable().mutex); }

std::shared_lock<std::shared_mutex> ReadLockTable() { return std::shared_lock(TheTable().mutex); }

bool AddClass(const WNDCLASS& windowClass) {
  if (!windowClass.lpszClassName || !*windowClass.lpszClassName || !windowClass.lpfnWndProc) return false;
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  std::string name = windowClass.lpszClassName;
  if (table.classes.count(name)) return false;
  const std::string& stored = table.classNames.emplace(name, name).first->second;
  WNDCLASS copy = windowClass;
  copy.lpszClassName = stored.c_str();
  table.classes.emplace(name, copy);
  return true;
}

bool RemoveClass(const std::string& name) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  for (const Slot& slot : table.slots)
    if (slot.record && slot.record->className == name) return false;
  return table.classes.erase(name) > 0;
}

bool FindClass(const std::string& name, WNDCLASS* windowClass) {
  Table& table = TheTable();
  std::shared_lock lock(table.mutex);
  auto it = table.classes.find(name);
  if (it == table.classes.end()) return false;
  if (windowClass) *windowClass = it->second;
  return true;
}

}  // namespace platform::detail
