// Reading INI files as the update list is read. On Windows these tests run
// against GetPrivateProfileStringA / GetPrivateProfileIntA themselves (under
// Wine with code page 932), and the Linux reader must give the same answers
// to the same files. Japanese text is written as its Shift-JIS bytes.
#include <gtest/gtest.h>

#include <string>

#include "platform/Ini.h"
#include "tests/support/TestFiles.h"

namespace {

using platform::ReadProfileInt;
using platform::ReadProfileString;

// "・ヴェルドマーク" and other Shift-JIS texts.
const std::string kVeldmarkLine = "\x81\x45\x83\x94\x83\x46\x83\x8b\x83\x68\x83\x7d\x81\x5b\x83\x4e";
const std::string kKey = "\x83\x4c\x81\x5b";       // "キー"
const std::string kA = "\x83\x41";                 // "ア": trail byte 'A'
const std::string kDi = "\x83\x61";                // "ヂ": trail byte 'a'
const std::string kSo = "\x83\x5c";                // "ソ": trail byte '\'
const std::string kZo = "\x83\x5d";                // "ゾ": trail byte ']'
const std::string kIdeographicSpace = "\x81\x40";  // "　"

class Ini : public ::testing::Test {
 protected:
  // Writes `text` as the INI file and returns its path.
  std::string Write(const std::string& text) {
    test_support::WriteBytes(m_path, std::vector<std::uint8_t>(text.begin(), text.end()));
    return m_path;
  }
  // The answer of the profile function, which the file read once into an
  // IniText must give too.
  std::string Get(const char* section, const char* key, const char* defaultValue = "", std::size_t size = 255) {
    const std::string answer = ReadProfileString(m_path, section, key, defaultValue, size);
    EXPECT_EQ(ReadOnce().String(section, key, defaultValue, size), answer) << "[" << section << "] " << key;
    return answer;
  }
  int GetInt(const char* section, const char* key, int defaultValue = -1) {
    const int answer = ReadProfileInt(m_path, section, key, defaultValue);
    EXPECT_EQ(ReadOnce().Int(section, key, defaultValue), answer) << "[" << section << "] " << key;
    return answer;
  }
  platform::IniText ReadOnce() const {
    platform::IniText text;
    EXPECT_TRUE(text.Load(m_path));
    return text;
  }

  test_support::ScratchFolder m_scratch;
  std::string m_path = m_scratch.File("update.ini");
};

TEST_F(Ini, ReadsTheUpdateListAsShipped) {
  Write(
      "[UPDATE_FONT]\r\nMAXNUM=2\r\nFONT_PAFILE1=VM-Gothic-Bold.pa\r\nFONT_RESNUM1=2001\r\n"
      "FONT_PAFILE2=" +
      kSo +
      "-Light.pa\r\nFONT_RESNUM2=2002\r\n\r\n"
      "[UPDATE_STARTDLG_STRING]\r\nMAIN_TEXTTITLE=" +
      kVeldmarkLine +
      "\r\nMAXNUM=59\r\n"
      "FONT_TEXTTITLE1=" +
      kVeldmarkLine + " Bold\r\n");
  EXPECT_EQ(Get("UPDATE_FONT", "MAXNUM"), "2");
  EXPECT_EQ(GetInt("UPDATE_FONT", "MAXNUM"), 2);
  EXPECT_EQ(Get("UPDATE_FONT", "FONT_PAFILE1"), "VM-Gothic-Bold.pa");
  EXPECT_EQ(GetInt("UPDATE_FONT", "FONT_RESNUM1"), 2001);
  EXPECT_EQ(Get("UPDATE_FONT", "FONT_PAFILE2"), kSo + "-Light.pa");  // the 0x5C trail byte untouched
  EXPECT_EQ(Get("UPDATE_STARTDLG_STRING", "MAIN_TEXTTITLE", "", 1024), kVeldmarkLine);
  EXPECT_EQ(GetInt("UPDATE_STARTDLG_STRING", "MAXNUM"), 59);
  EXPECT_EQ(Get("UPDATE_STARTDLG_STRING", "FONT_TEXTTITLE1"), kVeldmarkLine + " Bold");
  EXPECT_EQ(Get("UPDATE_STARTDLG_STRING", "FONT_TEXTTITLE2", "none"), "none");
}

TEST_F(Ini, NamesIgnoreCaseAndSurroundingBlanks) {
  Write("  [ Update_Font ]  \r\n  MaxNum  =  381  \r\n\t" + kKey + "\t=kana\r\n" + kA + "=A-kana\r\n");
  EXPECT_EQ(Get("UPDATE_FONT", "MAXNUM"), "381");
  EXPECT_EQ(Get("update_font", "maxnum"), "381");
  EXPECT_EQ(Get(" UPDATE_FONT ", "  MAXNUM "), "381");
  EXPECT_EQ(Get("UPDATE_FONT", kKey.c_str()), "kana");
  EXPECT_EQ(Get("UPDATE_FONT", kA.c_str()), "A-kana");
  // Only single-byte letters are folded: the trail bytes 'A' and 'a' of two
  // different kana do not make them one name.
  EXPECT_EQ(Get("UPDATE_FONT", kDi.c_str(), "none"), "none");
}

TEST_F(Ini, ValuesLoseSurroundingBlanksAndNothingElse) {
  Write(
      "[S]\r\nSPACED=  two  words \t \r\nCONTROL=\v\f\x1a"
      "v\x1a\f\v\r\n"
      "SEPARATOR=\x1c"
      "v\x1c\r\nWIDE=" +
      kIdeographicSpace + "v" + kIdeographicSpace +
      "\r\n"
      "ZERO=ab" +
      std::string(1, '\0') + "cd\r\n;COMMENT=kept\r\n");
  EXPECT_EQ(Get("S", "SPACED"), "two  words");
  EXPECT_EQ(Get("S", "CONTROL"), "v");
  EXPECT_EQ(Get("S", "SEPARATOR"),
            "\x1c"
            "v\x1c");
  EXPECT_EQ(Get("S", "WIDE"), kIdeographicSpace + "v" + kIdeographicSpace);
  EXPECT_EQ(Get("S", "ZERO"), "ab");
  EXPECT_EQ(Get("S", ";COMMENT"), "kept");  // a comment line is only a key nobody asks for
}

TEST_F(Ini, MissingValuesGiveTheDefault) {
  Write("[UPDATE_FONT]\r\nNOEQUALS\r\nEMPTY=\r\nMAXNUM=381\r\n");
  EXPECT_EQ(Get("UPDATE_FONT", "FONT_PAFILE1"), "");
  EXPECT_EQ(Get("UPDATE_FONT", "FONT_PAFILE1", "dflt"), "dflt");
  EXPECT_EQ(Get("MISSING", "MAXNUM", "dflt"), "dflt");
  EXPECT_EQ(Get("UPDATE_FONT", "NOEQUALS", "dflt"), "dflt");
  EXPECT_EQ(Get("UPDATE_FONT", "EMPTY", "dflt"), "");
  EXPECT_EQ(Get("UPDATE_FONT", "FONT_PAFILE1", "dflt   "), "dflt");
  EXPECT_EQ(Get("UPDATE_FONT", "FONT_PAFILE1", "  dflt"), "  dflt");
  EXPECT_EQ(Get("UPDATE_FONT", "FONT_PAFILE1", "\"dflt\""), "dflt");
  EXPECT_EQ(ReadProfileString(m_scratch.File("missing.ini"), "UPDATE_FONT", "MAXNUM", "dflt", 255), "dflt");

  EXPECT_EQ(GetInt("UPDATE_FONT", "FONT_RESNUM1", -1), -1);
  EXPECT_EQ(GetInt("MISSING", "MAXNUM", 7), 7);
  EXPECT_EQ(GetInt("UPDATE_FONT", "EMPTY", -1), -1);
  EXPECT_EQ(GetInt("UPDATE_FONT", "NOEQUALS", -1), -1);
  EXPECT_EQ(ReadProfileInt(m_scratch.File("missing.ini"), "UPDATE_FONT", "MAXNUM", 5), 5);
}

TEST_F(Ini, OnePairOfSurroundingQuotesGoes) {
  Write(
      "[Q]\r\nDOUBLE=\"quoted\"\r\nSINGLE='single'\r\nOPEN=\"open\r\nLONE=\"\r\nEMPTY=\"\"\r\n"
      "INNER=\"a\"b\"\r\nSPACED= \" in \" \r\nMIXED=\"mixed'\r\nKANA=\"" +
      kVeldmarkLine + "\"\r\n");
  EXPECT_EQ(Get("Q", "DOUBLE"), "quoted");
  EXPECT_EQ(Get("Q", "SINGLE"), "single");
  EXPECT_EQ(Get("Q", "OPEN"), "\"open");
  EXPECT_EQ(Get("Q", "LONE"), "\"");
  EXPECT_EQ(Get("Q", "EMPTY"), "");
  EXPECT_EQ(Get("Q", "INNER"), "a\"b");
  EXPECT_EQ(Get("Q", "SPACED"), " in ");
  EXPECT_EQ(Get("Q", "MIXED"), "\"mixed'");
  EXPECT_EQ(Get("Q", "KANA"), kVeldmarkLine);
}

TEST_F(Ini, FirstSectionAndFirstKeyOfANameWin) {
  Write(
      "[UPDATE_FONT]\r\nMAXNUM=381\r\nDUP=first\r\nDUP=second\r\n[OTHER]\r\nX=1\r\n"
      "[update_font]\r\nMAXNUM=999\r\nONLYSECOND=2\r\n");
  EXPECT_EQ(Get("UPDATE_FONT", "DUP"), "first");
  EXPECT_EQ(GetInt("UPDATE_FONT", "MAXNUM"), 381);
  EXPECT_EQ(Get("UPDATE_FONT", "ONLYSECOND", "none"), "none");
  EXPECT_EQ(Get("OTHER", "X"), "1");
}

TEST_F(Ini, KeyNamesComeFromTheFirstSectionOfTheName) {
  Write("[OTHER]\r\nX=1\r\n[UPDATE_STARTDLG_STRING]\r\nMAXNUM=3\r\n  font_TextTitle2 = b\r\nFONT_TEXTTITLE1=" +
        kVeldmarkLine + "\r\n[update_startdlg_string]\r\nFONT_TEXTTITLE3=c\r\n");
  EXPECT_EQ(platform::ReadProfileKeyNames(m_path, "UPDATE_STARTDLG_STRING"),
            (std::vector<std::string>{"MAXNUM", "font_TextTitle2", "FONT_TEXTTITLE1"}));
  EXPECT_TRUE(platform::ReadProfileKeyNames(m_path, "MISSING").empty());
  EXPECT_TRUE(platform::ReadProfileKeyNames(m_scratch.File("missing.ini"), "OTHER").empty());
  EXPECT_EQ(ReadOnce().KeyNames("update_startdlg_string"),
            platform::ReadProfileKeyNames(m_path, "UPDATE_STARTDLG_STRING"));
  EXPECT_TRUE(ReadOnce().KeyNames("MISSING").empty());
}

TEST_F(Ini, ReadOnceTheFileKeepsItsAnswers) {
  Write("[UPDATE_FONT]\r\nMAXNUM=2\r\nFONT_PAFILE1=A.pa\r\n");
  platform::IniText once;
  ASSERT_TRUE(once.Load(m_path));
  Write("[UPDATE_FONT]\r\nMAXNUM=3\r\n");
  EXPECT_EQ(once.Int("UPDATE_FONT", "MAXNUM", 0), 2);  // the file as it was read
  EXPECT_EQ(once.String("UPDATE_FONT", "FONT_PAFILE1", "", 255), "A.pa");
  EXPECT_EQ(ReadProfileInt(m_path, "UPDATE_FONT", "MAXNUM", 0), 3);
  // A file that cannot be read leaves nothing: every answer is the default.
  EXPECT_FALSE(once.Load(m_scratch.File("missing.ini")));
  EXPECT_EQ(once.Int("UPDATE_FONT", "MAXNUM", 7), 7);
  EXPECT_EQ(once.String("UPDATE_FONT", "FONT_PAFILE1", "dflt", 255), "dflt");
  EXPECT_TRUE(once.KeyNames("UPDATE_FONT").empty());
  // Bytes given directly read as the same bytes in a file.
  const platform::IniText bytes("\xEF\xBB\xBFMAXNUM=1\r\n[]\r\nMAXNUM=2\r\n[S]\r\nK");
  EXPECT_EQ(bytes.Int("", "MAXNUM", 0), 1);  // the lines before the first header; "[]" comes too late
  EXPECT_EQ(bytes.String("S", "K", "none", 255), "none");
  EXPECT_EQ(bytes.KeyNames("S"), std::vector<std::string>{"K"});
}

TEST_F(Ini, LinesEndAtCarriageReturnsLineFeedsOrBoth) {
  Write("[LF]\nK=lf\n[CR]\rK=cr\r[CRLF]\r\nK=crlf\r\n\r\n\n[LAST]\r\nK=no line end");
  EXPECT_EQ(Get("LF", "K"), "lf");
  EXPECT_EQ(Get("CR", "K"), "cr");
  EXPECT_EQ(Get("CRLF", "K"), "crlf");
  EXPECT_EQ(Get("LAST", "K"), "no line end");
}

TEST_F(Ini, SectionHeadersEndAtTheLastClosingBracket) {
  Write("[S2] junk\r\nK=s2\r\n[S3\r\nK3=x\r\n[A]" + kZo + "\r\nK=a\r\n[B]x]\r\nK=b\r\n");
  EXPECT_EQ(Get("S2", "K"), "s2");
  EXPECT_EQ(Get("S3", "K3", "none"), "none");  // no ']': an ordinary line of section S2
  EXPECT_EQ(Get("S2", "K3"), "x");
  EXPECT_EQ(Get("A", "K"), "a");  // the ']' inside "ゾ" closes nothing
  EXPECT_EQ(Get("B]X", "K"), "b");
}

TEST_F(Ini, ValuesAreCutToTheBuffer) {
  const std::string as(300, 'a');
  std::string kana, xkana;
  for (int i = 0; i < 200; ++i) kana += kA;
  xkana = "x" + kana;
  Write("[T]\r\nA=" + as + "\r\nKANA=" + kana + "\r\nXKANA=" + xkana + "\r\nQUOTED=\"" + std::string(300, 'q') +
        "\"\r\nFITS=\"" + std::string(253, 'm') + "\"\r\n");
  EXPECT_EQ(Get("T", "A", "", 255), as.substr(0, 254));
  EXPECT_EQ(Get("T", "A", "", 1024), as);
  EXPECT_EQ(Get("T", "A", "", 1), "");
  EXPECT_EQ(Get("T", "KANA", "", 255), kana.substr(0, 254));
  EXPECT_EQ(Get("T", "KANA", "", 1024), kana);
  EXPECT_EQ(Get("T", "XKANA", "", 255), xkana.substr(0, 253));  // never half a character
  EXPECT_EQ(Get("T", "QUOTED", "", 255), std::string(254, 'q'));
  EXPECT_EQ(Get("T", "FITS", "", 255), std::string(253, 'm'));
  EXPECT_EQ(Get("T", "MISSING", as.c_str(), 255), as.substr(0, 254));
}

TEST_F(Ini, IntegersAreReadAsTheSystemReadsThem) {
  Write(
      "[I]\nPLAIN=381\nNEGATIVE=  -5\nPLUS=+7\nTRAILING=12abc\nLETTERS=abc\nHEX=0x1A\nUPPERX=0X1A\n"
      "LEADINGZERO=010\nBINARY=0b11\nOCTAL=0o17\nALLONES=4294967295\nWRAPS=99999999999\n"
      "SPACEDSIGN=- 5\nQUOTED=\"42\"\nLONG=0000000000000000000000000000000000042\n"
      "WIDEDIGITS=\x82\x50\x82\x51\nNEGHEX=-0x10\nOVER=2147483648\nSINGLEQUOTED='-8'\nHEXONLY=0x\n"
      "TWONUMBERS=1 2\n");
  EXPECT_EQ(GetInt("I", "PLAIN"), 381);
  EXPECT_EQ(GetInt("I", "NEGATIVE"), -5);
  EXPECT_EQ(GetInt("I", "PLUS"), 7);
  EXPECT_EQ(GetInt("I", "TRAILING"), 12);
  EXPECT_EQ(GetInt("I", "LETTERS"), 0);
  EXPECT_EQ(GetInt("I", "HEX"), 26);
  EXPECT_EQ(GetInt("I", "UPPERX"), 0);
  EXPECT_EQ(GetInt("I", "LEADINGZERO"), 10);
  EXPECT_EQ(GetInt("I", "BINARY"), 3);
  EXPECT_EQ(GetInt("I", "OCTAL"), 15);
  EXPECT_EQ(GetInt("I", "ALLONES"), -1);
  EXPECT_EQ(GetInt("I", "WRAPS"), 1215752191);
  EXPECT_EQ(GetInt("I", "SPACEDSIGN"), 0);
  EXPECT_EQ(GetInt("I", "QUOTED"), 42);
  EXPECT_EQ(GetInt("I", "LONG"), 0);  // only the first 29 characters are read
  EXPECT_EQ(GetInt("I", "WIDEDIGITS"), 0);
  EXPECT_EQ(GetInt("I", "NEGHEX"), -16);
  EXPECT_EQ(GetInt("I", "OVER"), -2147483647 - 1);
  EXPECT_EQ(GetInt("I", "SINGLEQUOTED"), -8);
  EXPECT_EQ(GetInt("I", "HEXONLY"), 0);
  EXPECT_EQ(GetInt("I", "TWONUMBERS"), 1);
}

}  // namespace
