#pragma once
// Test set-up shared by every test executable: private settings and data folders, so that
// nothing of the real user's is read or touched, and a main() that installs them.
#include <QTemporaryDir>
#include <QTest>

namespace tv::test {

// Points the settings store and the shared data folder at a fresh temporary home. Call before
// the application object is made.
void redirectUserFolders();
// The temporary home made by redirectUserFolders().
QString testHome();
// A folder holding the test's own files (under the temporary home).
QString fixtureFolder(const QString& name);
// Writes bytes to a file, making its folder; returns the full path.
QString writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace tv::test

#define TV_TEST_MAIN(TestClass, AppClass)                                                          \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        tv::test::redirectUserFolders();                                                           \
        AppClass app(argc, argv);                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass tc;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
