// The comparison value of a version text, the backup's name and the replacement's
// messages: pure logic, no file.
#include <gtest/gtest.h>

#include <climits>

#include "dbupgrade/DatabaseReplacement.h"
#include "dbupgrade/VersionCheck.h"
#include "platform/Failure.h"

namespace qel {
namespace {

std::string FailureOf(const std::string& versao) {
    try {
        ValorVersao(versao);
    } catch (const Failure& f) {
        return f.what();
    }
    return "no failure";
}

TEST(ValorVersao, JoinsTheDigitsOfEveryPartIntoOneNumber) {
    EXPECT_EQ(ValorVersao("3.2.0"), 320);
    EXPECT_EQ(ValorVersao("3.2.3"), 323);
    EXPECT_EQ(ValorVersao("3.10.0"), 3100);
    EXPECT_EQ(ValorVersao("3.2"), 32);
    EXPECT_EQ(ValorVersao("320"), 320);
    EXPECT_EQ(ValorVersao("03.2.0"), 320);
    EXPECT_EQ(ValorVersao("3..2...0."), 320);
    EXPECT_EQ(ValorVersao("0.0.0"), 0);
}

TEST(ValorVersao, TakesLeadingBlanksAndASign) {
    EXPECT_EQ(ValorVersao("   3.2.0"), 320);
    EXPECT_EQ(ValorVersao("+3.2.0"), 320);
    EXPECT_EQ(ValorVersao("-3.2.0"), -320);
    EXPECT_EQ(ValorVersao(" -0"), 0);
    EXPECT_EQ(ValorVersao(".-.3.2"), -32) << "dots go before the number is read";
}

TEST(ValorVersao, SpansTheSigned32BitRangeExactly) {
    EXPECT_EQ(ValorVersao("2147483647"), INT_MAX);
    EXPECT_EQ(ValorVersao("2.147.483.647"), INT_MAX);
    EXPECT_EQ(ValorVersao("-2147483648"), INT_MIN);
    EXPECT_EQ(ValorVersao("00000000000000000000320"), 320) << "leading zeros are no overflow";
    EXPECT_EQ(FailureOf("2147483648"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(FailureOf("-2147483649"), "'-2147483649' is not a valid integer value");
    EXPECT_EQ(FailureOf("99999999999999999999"), "'99999999999999999999' is not a valid integer value");
}

TEST(ValorVersao, AnythingButAWholeNumberFailsWithTheTextWithoutItsDots) {
    EXPECT_EQ(FailureOf("3.2.0a"), "'320a' is not a valid integer value");
    EXPECT_EQ(FailureOf("3.2.0 "), "'320 ' is not a valid integer value");
    EXPECT_EQ(FailureOf(""), "'' is not a valid integer value");
    EXPECT_EQ(FailureOf("."), "'' is not a valid integer value");
    EXPECT_EQ(FailureOf("-"), "'-' is not a valid integer value");
    EXPECT_EQ(FailureOf("+-3"), "'+-3' is not a valid integer value");
    EXPECT_EQ(FailureOf("3 2"), "'3 2' is not a valid integer value");
    EXPECT_EQ(FailureOf("3,2"), "'3,2' is not a valid integer value");
    EXPECT_EQ(FailureOf("0x20"), "'0x20' is not a valid integer value");
    EXPECT_EQ(FailureOf("Versão 3"), "'Versão 3' is not a valid integer value");
}

SYSTEMTIME Momento(WORD ano, WORD mes, WORD dia, WORD hora, WORD minuto, WORD segundo) {
    SYSTEMTIME t{};
    t.wYear = ano;
    t.wMonth = mes;
    t.wDay = dia;
    t.wHour = hora;
    t.wMinute = minuto;
    t.wSecond = segundo;
    t.wMilliseconds = 999;
    return t;
}

TEST(NomeBackup, IsTheBaseNameWithTheFourteenDigitStampAndTheBackupExtension) {
    EXPECT_EQ(NomeBackup("QEL.mdb", Momento(2007, 3, 15, 14, 30, 5)), "QEL_20070315143005.md_");
    EXPECT_EQ(NomeBackup("QEL.mdb", Momento(2024, 1, 2, 3, 4, 5)), "QEL_20240102030405.md_");
    EXPECT_EQ(NomeBackup("QEL.mdb", Momento(1999, 12, 31, 23, 59, 59)), "QEL_19991231235959.md_");
    EXPECT_EQ(NomeBackup("QEL.mdb", Momento(2000, 1, 1, 0, 0, 0)), "QEL_20000101000000.md_");
    // The base ends at the first dot; only the backup extension remains.
    EXPECT_EQ(NomeBackup("QEL.old.mdb", Momento(2007, 3, 15, 14, 30, 5)), "QEL_20070315143005.md_");
    EXPECT_EQ(NomeBackup("QEL", Momento(2007, 3, 15, 14, 30, 5)), "QEL_20070315143005.md_");
}

TEST(MensagemSubstituicao, GivesTwoLinesForEachFailureAndNothingForSuccess) {
    EXPECT_EQ(MensagemSubstituicao(ResultadoSubstituicao::Substituido), nullptr);
    EXPECT_STREQ(MensagemSubstituicao(ResultadoSubstituicao::BackupRecusado),
                 "Cópia de segurança do banco de dados não pode ser criada.\r"
                 "Banco de dados não foi atualizado. Verifique se o arquivo está em uso.");
    EXPECT_STREQ(MensagemSubstituicao(ResultadoSubstituicao::NovoNaoColocado),
                 "Novo banco de dados não pode ser instalado.\r"
                 "Banco de dados anterior foi mantido. Verifique se o arquivo está em uso.");
}

}  // namespace
}  // namespace qel
