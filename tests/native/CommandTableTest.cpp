#include "addin/CommandTable.h"

#include <string>

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(CommandTable, FullNamesAreProgIdDotShortName) {
    for (int i = 0; i < kCommandCount; ++i) {
        const CommandDefinition& command = CommandAt(i);
        EXPECT_EQ(std::u16string(command.fullName), u"Velmora.Connect." + std::u16string(command.shortName));
        EXPECT_EQ(FindCommand(command.fullName), i);
    }
    EXPECT_EQ(std::u16string(CommandAt(kCodeTemplate).shortName), u"CodeTemplate");
    EXPECT_EQ(std::u16string(CommandAt(kInsertOldGUID).tooltip), u"以前のGUIDを挿入する");
}

TEST(CommandTable, LookupIgnoresAsciiCaseOnlyAndTrimsNothing) {
    struct Case {
        const char16_t* name;
        int expected;
    };
    const Case cases[] = {
        {u"velmora.connect.codetemplate", kCodeTemplate},
        {u"VELMORA.CONNECT.CODETEMPLATE", kCodeTemplate},
        {u"Velmora.Connect.insertoldguid", kInsertOldGUID},
        {u"Velmora.Connect.ProjectExplorer", kProjectExplorer},
        {u"Velmora.Connect.ProjectExplorerSp", kProjectExplorerSp},
        {u" Velmora.Connect.CodeTemplate", -1},
        {u"Velmora.Connect.CodeTemplate ", -1},
        {u"CodeTemplate", -1},
        {u"Velmora.Connect.", -1},
        {u"Velmora.Connect.ProjectExplorerS", -1},
        {u"Velmora.Connect.CodeTemplateX", -1},
        {u"", -1},
        {nullptr, -1},
        // Only ASCII letters fold: a full-width letter is another character.
        {u"Velmora.Connect.Ｃodetemplate", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindCommand(c.name), c.expected) << "case " << (&c - cases);
    }
}

}  // namespace
}  // namespace velmora
