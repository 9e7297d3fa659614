// Lookup in message maps and the command routing of a single object.
#include "MessageMap.h"

#include "CmdUI.h"
#include "Wnd.h"

namespace {
// Command and update entries are keyed by command id, the other shapes by window message.
bool IsWindowMessage(MessageEntry::Kind kind) {
    return kind != MessageEntry::Command && kind != MessageEntry::Update;
}

template <class Matches> const MessageEntry* FindFirst(const MessageMap* map, Matches matches) {
    for (; map; map = map->base)
        for (const MessageEntry& entry : map->entries)
            if (matches(entry))
                return &entry;
    return nullptr;
}
} // namespace

const MessageEntry* MessageMap::FindMessage(UINT message) const {
    return FindFirst(this, [message](const MessageEntry& entry) {
        return entry.code == message && IsWindowMessage(entry.kind);
    });
}

const MessageEntry* MessageMap::FindCommand(MessageEntry::Kind kind, UINT id) const {
    return FindFirst(this, [kind, id](const MessageEntry& entry) {
        return entry.code == id && entry.kind == kind;
    });
}

const MessageMap CCmdTarget::messageMap{nullptr};

const MessageMap* CCmdTarget::GetMessageMap() const {
    return &messageMap;
}

bool CCmdTarget::OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) {
    const MessageMap* map = GetMessageMap();
    if (code == CN_UPDATE_COMMAND_UI) {
        const MessageEntry* entry = map->FindCommand(MessageEntry::Update, id);
        if (!entry)
            return false;
        (this->*std::get<PfnUpdate>(entry->handler))(pCmdUI);
        return true;
    }
    const MessageEntry* entry = map->FindCommand(MessageEntry::Command, id);
    if (!entry)
        return false;
    if (code == CN_COMMAND)
        (this->*std::get<PfnCommand>(entry->handler))();
    return true;
}
