#include "addin/CommandTable.h"

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

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EqualIgnoringAsciiCase(const char16_t* a, const char16_t* b) {
    for (; *a && *b; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
    }
    return *a == *b;
}
}  // namespace

const CommandDefinition& CommandAt(int index) { return kCommands[index]; }

int FindCommand(const char16_t* name) {
    if (!name) return -1;
    for (int i = 0; i < kCommandCount; ++i) {
        if (EqualIgnoringAsciiCase(name, kCommands[i].fullName)) return i;
    }
    return -1;
}

}  // namespace velmora
