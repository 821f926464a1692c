#include "addin/CommandTable.h"

#include "textfile/AsciiCase.h"

namespace velmora {

namespace {
const CommandDefinition kCommands[kCommandCount] = {
    {u"ProjectExplorer", u"Velmora.Connect.ProjectExplorer", u"プロジェクトフォルダをExplorerで表示"},
    {u"ProjectExplorerSp", u"Velmora.Connect.ProjectExplorerSp", u"特殊フォルダをExplorerで表示"},
    {u"SelectGUID", u"Velmora.Connect.SelectGUID", u"GUIDを選択・挿入する"},
    {u"InsertGUID", u"Velmora.Connect.InsertGUID", u"GUIDを挿入する"},
    {u"InsertOldGUID", u"Velmora.Connect.InsertOldGUID", u"以前のGUIDを挿入する"},
    {u"CodeTemplate", u"Velmora.Connect.CodeTemplate", u"コードを挿入する"},
};
}  // namespace

const CommandDefinition& CommandAt(int index) { return kCommands[index]; }

int FindCommand(const char16_t* name) {
    if (!name) return -1;
    for (int i = 0; i < kCommandCount; ++i) {
        if (textfile::EqualIgnoringAsciiCase(name, kCommands[i].fullName)) return i;
    }
    return -1;
}

}  // namespace velmora
