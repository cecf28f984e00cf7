// Links inside (and as) the folder being cleaned: the links go where the platform lets
// them go, what they point to is never touched. Every kind of link this platform can
// make is tried; under Wine 8 those are Unix symbolic links.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/FolderCleanup.h"
#include "engine/StagingFolder.h"
#include "tests/integration/FolderCleanupFixture.h"
#include "tests/support/Links.h"

namespace qel::test {
namespace {

class LimpezaComLigacoes : public LimpezaTest, public testing::WithParamInterface<LinkKind> {
protected:
    LimpezaComLigacoes() {
        precious_ = File("fora\\precioso.txt");
        deep_ = File("fora\\dentro\\f.txt");
        emptyTarget_ = Folder("fora-vazia");
        fileTarget_ = File("fora-arquivo.txt");
    }
    ~LimpezaComLigacoes() override {
        // Before the temporary folder goes: its removal would follow them.
        for (const auto& link : made_) RemoveLink(GetParam(), link);
    }

    // Makes a link or skips the test when the platform cannot make this kind.
    bool Link(const std::string& target, const std::string& relative, bool folder) {
        std::string link = temp_ / relative, why;
        if (!MakeLink(GetParam(), target, link, folder, &why)) {
            if (folder) ADD_FAILURE() << "not skipped: " << why;
            return false;
        }
        made_.push_back(link);
        return true;
    }

    void SkipUnlessThisKindCanBeMade() {
        std::string probe = temp_ / "ensaio", why;
        if (!MakeLink(GetParam(), temp_ / "fora", probe, true, &why))
            GTEST_SKIP() << NameOf(GetParam()) << "s cannot be made here: " << why;
        RemoveLink(GetParam(), probe);
        ASSERT_FALSE(Exists(probe));
    }

    void ExpectTargetsUntouched() {
        EXPECT_EQ(ReadFile(precious_), "fora\\precioso.txt");
        EXPECT_EQ(ReadFile(deep_), "fora\\dentro\\f.txt");
        EXPECT_TRUE(fs::DirectoryExists(emptyTarget_));
        EXPECT_EQ(ReadFile(fileTarget_), "fora-arquivo.txt");
    }

    // A link is either gone or still leads where it did.
    void ExpectGoneOrIntact(const std::string& relative, const std::string& seenThrough) {
        std::string link = temp_ / relative;
        if (Exists(link)) {
            EXPECT_TRUE(Exists(link + "\\" + seenThrough)) << relative;
        }
    }

    std::string precious_, deep_, emptyTarget_, fileTarget_;
    std::vector<std::string> made_;
};

TEST_P(LimpezaComLigacoes, LinksInsideAreNeverEnteredAndWhatTheyPointToStays) {
    SkipUnlessThisKindCanBeMade();
    if (IsSkipped()) return;
    File("InstQEL\\QEL.exe");
    File("InstQEL\\sub\\QEL.mdb");
    ASSERT_TRUE(Link(temp_ / "fora", "InstQEL\\ligacao", true));
    ASSERT_TRUE(Link(temp_ / "fora", "InstQEL\\sub\\ligacao", true));
    ASSERT_TRUE(Link(emptyTarget_, "InstQEL\\ligacao-vazia", true));
    bool fileLink = Link(fileTarget_, "InstQEL\\ligacao.txt", false);

    LimpaPasta("InstQEL");

    ExpectTargetsUntouched();
    EXPECT_FALSE(Exists(temp_ / "InstQEL\\QEL.exe"));
    EXPECT_FALSE(Exists(temp_ / "InstQEL\\sub\\QEL.mdb"));
    ExpectGoneOrIntact("InstQEL\\ligacao", "precioso.txt");
    ExpectGoneOrIntact("InstQEL\\sub\\ligacao", "dentro\\f.txt");
    if (fileLink && Exists(temp_ / "InstQEL\\ligacao.txt")) {
        EXPECT_EQ(ReadFile(temp_ / "InstQEL\\ligacao.txt"), "fora-arquivo.txt");
    }
    bool linksLeft = false;
    for (const auto& link : made_) linksLeft |= Exists(link);
    // Where the platform removes links, nothing is left at all.
    EXPECT_EQ(Exists(temp_ / "InstQEL"), linksLeft);
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());
}

TEST_P(LimpezaComLigacoes, AFolderThatIsItselfALinkIsNotEmptiedThrough) {
    SkipUnlessThisKindCanBeMade();
    if (IsSkipped()) return;
    // As the run names them: the data-access folder by its full path, the staging
    // folder by its bare name.
    ASSERT_TRUE(Link(emptyTarget_, "InstADO", true));
    ASSERT_TRUE(Link(temp_ / "fora", "InstQEL", true));

    LimpaPasta(temp_ / "InstADO");
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());
    LimpaPasta("InstQEL");
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());

    ExpectTargetsUntouched();
    ExpectGoneOrIntact("InstQEL", "precioso.txt");
}

// A staging folder to be made where a link stands: the link itself goes and the folder is
// made (where the platform can remove a link without following it), or the run is told
// that the name could not be freed (Wine's Unix links); never is anything removed
// through the link or put where it leads.
TEST_P(LimpezaComLigacoes, AStagingFolderIsMadeWhereALinkStoodOrNotAtAllAndWhatItLedToStays) {
    SkipUnlessThisKindCanBeMade();
    if (IsSkipped()) return;
    ASSERT_TRUE(Link(temp_ / "fora", "InstQEL", true));
    std::vector<std::string> names = {"InstQEL"};
    if (Link(fileTarget_, "InstADO", false)) names.push_back("InstADO");
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const PastaTemporaria made = CriaPastaTemporaria(temp_ / name);
        ExpectTargetsUntouched();
        if (made) {
            EXPECT_TRUE(fs::DirectoryExists(temp_ / name));
            EXPECT_FALSE(Exists(temp_ / name + "\\precioso.txt")) << "a folder of its own, not the link's";
        } else {
            EXPECT_EQ(made.falha, PastaTemporaria::Falha::NaoRemovida);
            ExpectGoneOrIntact("InstQEL", "precioso.txt");
        }
    }
    EXPECT_FALSE(fs::FileExists(temp_ / "fora\\QEL.exe"));
}

INSTANTIATE_TEST_SUITE_P(TodosOsTipos, LimpezaComLigacoes,
                         testing::Values(LinkKind::Junction, LinkKind::SymbolicLink,
                                         LinkKind::UnixSymbolicLink),
                         [](const testing::TestParamInfo<LinkKind>& info) {
                             switch (info.param) {
                                 case LinkKind::Junction: return "Juncao";
                                 case LinkKind::SymbolicLink: return "LigacaoSimbolica";
                                 case LinkKind::UnixSymbolicLink: return "LigacaoUnix";
                             }
                             return "Outro";
                         });

TEST(Ligacoes, AtLeastOneKindOfLinkCanBeMadeHere) {
    TempFolder temp("ligacoes");
    ASSERT_TRUE(fs::ForceDirectories(temp / "alvo"));
    int made = 0;
    for (LinkKind kind : {LinkKind::Junction, LinkKind::SymbolicLink, LinkKind::UnixSymbolicLink}) {
        std::string link = temp / (std::string("l") + std::to_string(static_cast<int>(kind))), why;
        if (MakeLink(kind, temp / "alvo", link, true, &why)) {
            ++made;
            RemoveLink(kind, link);
        } else {
            std::printf("[ links    ] %s: %s\n", NameOf(kind), why.c_str());
        }
    }
    EXPECT_GT(made, 0) << "the link tests above would all be skipped";
}

}  // namespace
}  // namespace qel::test
