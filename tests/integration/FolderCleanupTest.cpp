// Emptying and removing staging folders: real files and folders under Wine.
#include <windows.h>

#include <stdexcept>
#include <vector>

#include "engine/FolderCleanup.h"
#include "platform/Failure.h"
#include "platform/Handles.h"
#include "tests/integration/FolderCleanupFixture.h"

namespace qel::test {
namespace {

using Limpeza = LimpezaTest;

TEST_F(Limpeza, AnEmptyFolderIsRemovedAndItsParentBecomesCurrent) {
    std::string pasta = Folder("InstQEL");

    LimpaPasta(pasta);

    EXPECT_FALSE(Exists(pasta));
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());
    EXPECT_EQ(remocoes_.vistas, 1);
}

TEST_F(Limpeza, TheRunsTwoCallsLeaveTheTemporaryFolderCurrent) {
    // As the run does at its end: the data-access folder by its full path, then the
    // staging folder by its bare name, with the temporary folder current.
    File("InstADO\\setup.exe");
    File("InstADO\\mdacone.cab");
    File("InstQEL\\QEL.exe");
    File("InstQEL\\QEL.mdb");

    LimpaPasta(temp_ / "InstADO");
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());
    LimpaPasta("InstQEL");
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());

    EXPECT_FALSE(Exists(temp_ / "InstADO"));
    EXPECT_FALSE(Exists(temp_ / "InstQEL"));
}

TEST_F(Limpeza, DeletesHiddenSystemAndArchiveFilesOneByOneAndTheFolderLast) {
    std::vector<std::string> files = {
        File("InstQEL\\comum.txt"),
        File("InstQEL\\oculto.dat", FILE_ATTRIBUTE_HIDDEN),
        File("InstQEL\\sistema.sys", FILE_ATTRIBUTE_SYSTEM),
        File("InstQEL\\sem-extensao", FILE_ATTRIBUTE_ARCHIVE),
        File("InstQEL\\tudo", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE)};
    auto left = [&] {
        int n = 0;
        for (const auto& f : files) n += Exists(f);
        return n;
    };
    std::vector<int> remaining;
    remocoes_.antes = [&] { remaining.push_back(left()); };

    LimpaPasta("InstQEL");

    EXPECT_FALSE(Exists(temp_ / "InstQEL"));
    // Before each removal the files left: each file goes on its own, the folder once empty.
    EXPECT_EQ(remaining, (std::vector<int>{5, 4, 3, 2, 1, 0}));
}

TEST_F(Limpeza, EmptiesNestedFoldersDepthFirstWhateverTheLengthOfTheirNames) {
    const std::string longName(120, 'n');
    std::vector<std::string> inD = {File("InstQEL\\d\\1.txt"), File("InstQEL\\d\\2.txt"), File("InstQEL\\d\\3.txt")};
    std::vector<std::string> top = {File("InstQEL\\x.txt"), File("InstQEL\\y.txt")};
    File("InstQEL\\abc\\1.txt");
    File("InstQEL\\abc\\de\\2.txt");
    File("InstQEL\\abc\\de\\f\\3.txt");
    File("InstQEL\\" + longName + "\\4.txt");
    // While the walk is inside "d", nothing of the folder above it changes.
    std::vector<std::pair<int, int>> seen;  // files left in d, files left at the top
    remocoes_.antes = [&] {
        int d = 0, t = 0;
        for (const auto& f : inD) d += Exists(f);
        for (const auto& f : top) t += Exists(f);
        seen.emplace_back(d, t);
    };

    LimpaPasta("InstQEL");

    EXPECT_FALSE(Exists(temp_ / "InstQEL"));
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());
    // Nine files and six folders.
    EXPECT_EQ(remocoes_.vistas, 9 + 6);
    int topWhileInD = -1;
    for (auto [d, t] : seen) {
        if (d == 0 || d == 3) continue;
        if (topWhileInD < 0) topWhileInD = t;
        EXPECT_EQ(t, topWhileInD);
    }
    EXPECT_GE(topWhileInD, 0) << "d was seen half emptied";
}

TEST_F(Limpeza, NamesOutsideTheEightBitCharacterSetAreDeletedToo) {
    Folder("InstQEL");
    std::wstring folder = fs::LongForm(text::Widen(temp_ / "InstQEL"));
    for (const wchar_t* name : {L"\u0391\u03B8\u03AE\u03BD\u03B1.txt", L"\u6771\u4EAC"}) {
        UniqueHandle h(CreateFileW(fs::JoinPath(folder, name).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(h);
    }

    LimpaPasta("InstQEL");

    EXPECT_FALSE(Exists(temp_ / "InstQEL"));
}

TEST_F(Limpeza, WhatCannotBeDeletedStaysWithItsFoldersWithoutAMessage) {
    std::string inUse = File("InstQEL\\sub\\em-uso.mdb");
    std::string readOnly = File("InstQEL\\somente-leitura.txt", FILE_ATTRIBUTE_READONLY);
    std::string other = File("InstQEL\\sub\\outro.txt");
    std::string another = File("InstQEL\\mais-um.txt");
    {
        // Held open as a program using it would, sharing nothing.
        UniqueHandle held(CreateFileA(inUse.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);

        LimpaPasta("InstQEL");
    }
    EXPECT_TRUE(Exists(inUse));
    EXPECT_TRUE(Exists(readOnly));
    EXPECT_FALSE(Exists(other));
    EXPECT_FALSE(Exists(another));
    EXPECT_TRUE(fs::DirectoryExists(temp_ / "InstQEL\\sub"));
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Limpeza, AFolderThatCannotBeEnteredIsAnInputOutputFailure) {
    File("arquivo");
    // What was asked for, and the full path the message names.
    const std::pair<std::string, std::string> cases[] = {
        {temp_ / "nao-existe", temp_ / "nao-existe"},
        {"nao-existe", temp_ / "nao-existe"},
        {temp_ / "arquivo", temp_ / "arquivo"},
        {"", ""}};
    for (const auto& [pasta, named] : cases) {
        try {
            LimpaPasta(pasta);
            ADD_FAILURE() << "no failure for \"" << pasta << "\"";
        } catch (const InOutFailure& e) {
            EXPECT_NE(std::string(e.what()).find("a pasta \"" + named + "\" não pôde ser aberta"),
                      std::string::npos)
                << e.what();
            EXPECT_NE(e.Code(), 0u);
        }
        EXPECT_EQ(fs::CurrentDir(), temp_.Path()) << "left as it was";
    }
    EXPECT_TRUE(Exists(temp_ / "arquivo"));
    EXPECT_EQ(remocoes_.vistas, 0);
}

TEST_F(Limpeza, AFailureDuringTheWalkStillLeavesTheParentCurrentAndTheFolderInPlace) {
    File("InstQEL\\a\\1.txt");
    File("InstQEL\\a\\2.txt");
    File("InstQEL\\b.txt");
    remocoes_.antes = [&] {
        fs::ChangeDir(temp_ / "InstQEL\\a");
        if (remocoes_.vistas == 3) throw std::runtime_error("falha no meio da limpeza");
    };

    EXPECT_THROW(LimpaPasta(temp_ / "InstQEL"), std::runtime_error);

    EXPECT_EQ(fs::CurrentDir(), temp_.Path());
    EXPECT_TRUE(fs::DirectoryExists(temp_ / "InstQEL"));
}

TEST_F(Limpeza, TheCurrentFolderMovingMeanwhileDoesNotMisdirectTheWalk) {
    std::string elsewhere = File("outra\\fica.txt");
    File("InstQEL\\sub\\1.txt");
    File("InstQEL\\2.txt");
    // While the walk is under way: the two files and "sub", not the folder's own removal.
    remocoes_.antes = [&] {
        if (remocoes_.vistas < 4) fs::ChangeDir(temp_ / "outra");
    };

    LimpaPasta("InstQEL");

    EXPECT_FALSE(Exists(temp_ / "InstQEL"));
    EXPECT_TRUE(Exists(elsewhere));
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());
}

TEST_F(Limpeza, ShortAndMultiPartRelativeNamesAreCleanedWhereTheyAre) {
    File("abc\\1.txt");
    File("sub\\InstQEL\\2.txt");
    File("sub\\fica.txt");

    LimpaPasta("abc");
    EXPECT_FALSE(Exists(temp_ / "abc"));
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());

    LimpaPasta("sub\\InstQEL");
    EXPECT_FALSE(Exists(temp_ / "sub\\InstQEL"));
    EXPECT_TRUE(Exists(temp_ / "sub\\fica.txt"));
    EXPECT_EQ(fs::CurrentDir(), temp_ / "sub");
}

}  // namespace
}  // namespace qel::test
