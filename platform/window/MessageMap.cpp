// Looking up a message in a chain of message maps.
#include "platform/window/MessageMap.h"

namespace platform {

MessageHandler FindMessageHandler(const MessageMap* map, UINT message) {
  for (; map; map = map->base ? map->base() : nullptr) {
    for (const MessageMapEntry* entry = map->entries; entry && entry->handler; ++entry)
      if (entry->message == message) return entry->handler;
  }
  return nullptr;
}

}  // namespace platform
