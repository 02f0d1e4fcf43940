// The stand-in must answer as the platform does wherever the program relies on it.
#include <gtest/gtest.h>
#include <memreg.h>

#include <string>

namespace {

class MemRegTest : public ::testing::Test {
protected:
    void SetUp() override { memreg::Reset(); }

    HKEY Open(const char *path)
    {
        HKEY key = NULL;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << path;
        return key;
    }
};

TEST_F(MemRegTest, NamesMatchWithoutCaseKeepTheirSpellingAndListSortedWithoutCase)
{
    memreg::AddKey("Software\\SirCam\\beta");
    memreg::AddKey("Software\\SirCam\\Alpha");
    memreg::AddKey("Software\\SirCam\\_under");
    memreg::AddKey("software\\SIRCAM\\gamma");

    HKEY key = Open("SOFTWARE\\sircam");
    std::string listed;
    char name[260];
    for (DWORD index = 0;; ++index) {
        DWORD capacity = sizeof name;
        LONG result = RegEnumKeyExA(key, index, name, &capacity, NULL, NULL, NULL, NULL);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(result, ERROR_SUCCESS);
        EXPECT_EQ(capacity, std::string(name).size());
        listed += std::string(name) + " ";
    }
    // Compared in upper case, as the platform does, '_' sorts after the letters.
    EXPECT_EQ(listed, "Alpha beta gamma _under ");
    EXPECT_EQ(memreg::Tree("Software")[1], "Software\\SirCam");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(MemRegTest, EnumerationCopiesANameOnlyWhenItFitsWithItsTerminator)
{
    memreg::AddKey("k\\" + std::string(9, 'x'));
    HKEY key = Open("k");
    char name[16] = "untouched";
    DWORD capacity = 9;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &capacity, NULL, NULL, NULL, NULL), ERROR_MORE_DATA);
    EXPECT_STREQ(name, "untouched");
    capacity = 10;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &capacity, NULL, NULL, NULL, NULL), ERROR_SUCCESS);
    EXPECT_STREQ(name, "xxxxxxxxx");
    EXPECT_EQ(capacity, 9u);
    capacity = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 1, name, &capacity, NULL, NULL, NULL, NULL), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(MemRegTest, AnswersFailuresWithThePlatformsCodes)
{
    memreg::AddKey("k\\child");
    HKEY key = Open("k");
    HKEY unused;
    EXPECT_EQ(RegOpenKeyExA(key, "missing", 0, KEY_ALL_ACCESS, &unused), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(key, "child\\", 0, KEY_ALL_ACCESS, &unused), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "k"), ERROR_ACCESS_DENIED) << "a key with subkeys stays";
    EXPECT_EQ(RegDeleteKeyA(key, "missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(key, "CHILD"), ERROR_SUCCESS);
    EXPECT_FALSE(memreg::KeyExists("k\\child"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "k"), ERROR_SUCCESS);

    char name[260];
    DWORD capacity = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &capacity, NULL, NULL, NULL, NULL), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &capacity, NULL, NULL, NULL, NULL), ERROR_INVALID_HANDLE);
    EXPECT_EQ(memreg::OpenHandles(), 0u);
}

TEST_F(MemRegTest, ScriptsRefusalsAndFailuresOnChosenKeys)
{
    memreg::AddKey("k\\a");
    memreg::AddKey("k\\b");
    memreg::RefuseFullAccess("k\\a");
    memreg::RefuseDelete("k\\b");
    memreg::FailEnumeration("k", 2, ERROR_INVALID_HANDLE);

    HKEY key = Open("k");
    HKEY sub;
    EXPECT_EQ(RegOpenKeyExA(key, "a", 0, KEY_ALL_ACCESS, &sub), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyExA(key, "a", 0, KEY_READ, &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    EXPECT_EQ(RegDeleteKeyA(key, "b"), ERROR_ACCESS_DENIED);
    char name[260];
    LONG results[3];
    for (LONG &result : results) {
        DWORD capacity = sizeof name;
        result = RegEnumKeyExA(key, 0, name, &capacity, NULL, NULL, NULL, NULL);
    }
    EXPECT_EQ(results[0], ERROR_SUCCESS);
    EXPECT_EQ(results[1], ERROR_INVALID_HANDLE);
    EXPECT_EQ(results[2], ERROR_SUCCESS);
    RegCloseKey(key);
}

} // namespace
