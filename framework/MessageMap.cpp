// Lookup in message maps and the command routing of a single object.
#include "MessageMap.h"

#include "CmdUI.h"
#include "Wnd.h"

const MessageEntry* MessageMap::Find(MessageEntry::Kind kind, UINT code) const {
    for (const MessageMap* map = this; map; map = map->base)
        for (size_t i = 0; i < map->count; ++i)
            if (map->entries[i].kind == kind && map->entries[i].code == code)
                return &map->entries[i];
    return nullptr;
}

const MessageMap CCmdTarget::messageMap(nullptr);

const MessageMap* CCmdTarget::GetMessageMap() const {
    return &messageMap;
}

bool CCmdTarget::OnCmdMsg(UINT id, int code, CCmdUI* pCmdUI) {
    const MessageMap* map = GetMessageMap();
    if (code == CN_UPDATE_COMMAND_UI) {
        const MessageEntry* entry = map->Find(MessageEntry::Update, id);
        if (!entry)
            return false;
        (this->*std::get<PfnUpdate>(entry->handler))(pCmdUI);
        return true;
    }
    const MessageEntry* entry = map->Find(MessageEntry::Command, id);
    if (!entry)
        return false;
    if (code == CN_COMMAND)
        (this->*std::get<PfnCommand>(entry->handler))();
    return true;
}
