#include "common/AppError.h"
#include "config/ConfigFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

// Runs `fn` as a user who may write the file but not its folder: as root,
// with the effective user switched to nobody (the file given to nobody);
// as anyone else, with the folder made read-only.
void asUserWithoutFolderRights(const QString &dir, const QString &file,
                               const std::function<void()> &fn) {
    const QFileDevice::Permissions folder = QFile::permissions(dir);
    if (geteuid() == 0) {
        const uid_t nobody = 65534;
        QVERIFY(::chown(QFile::encodeName(file).constData(), nobody, nobody) == 0);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                       QFile::ExeOther);
        QVERIFY(::seteuid(nobody) == 0);
        struct BackToRoot {
            ~BackToRoot() { (void)::seteuid(0); }
        } backToRoot;
        fn();
    } else {
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        fn();
    }
    QFile::setPermissions(dir, folder);
}

} // namespace

class TstConfigFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path() const { return m_dir.path() + QStringLiteral("/Config.ini"); }

private slots:
    void init() { QFile::remove(path()); }

    void missingFileReadsDefaultsAndCreatesNothing() {
        ConfigFile ini(path());
        QCOMPARE(ini.readString("Comunicacion", "DB", "No"), QString("No"));
        QCOMPARE(ini.readInteger("Comunicacion", "BaudRate", 7), 7);
        QVERIFY(!QFile::exists(path()));
    }

    void namesMatchWithoutCaseAndValuesAreTrimmed() {
        writeFile(path(), "; comment\n[comunicacion]\n  baudrate = 3 \nDB=Si\nEmpty=\n"
                          "Quoted=\" spaced \"\n");
        ConfigFile ini(path());
        QCOMPARE(ini.readInteger("Comunicacion", "BaudRate", 7), 3);
        QCOMPARE(ini.readString("COMUNICACION", "db", "No"), QString("Si"));
        // A present empty value is empty, not the default.
        QCOMPARE(ini.readString("Comunicacion", "Empty", "def"), QString());
        QCOMPARE(ini.readString("Comunicacion", "Quoted", ""), QString(" spaced "));
        QCOMPARE(ini.readString("Otra", "DB", "No"), QString("No"));
    }

    void integersDecimalOrHexElseDefault() {
        writeFile(path(), "[P]\nA=0x10\nB=$1f\nC=0X0A\nD=abc\nE=-12\nF=12abc\nG=\nH=99999999999\n"
                          "I=$FFFFFFFF\nJ=0x\n");
        ConfigFile ini(path());
        QCOMPARE(ini.readInteger("P", "A", 1), 16);
        QCOMPARE(ini.readInteger("P", "B", 1), 31);
        QCOMPARE(ini.readInteger("P", "C", 1), 10);
        QCOMPARE(ini.readInteger("P", "D", 1), 1);
        QCOMPARE(ini.readInteger("P", "E", 1), -12);
        QCOMPARE(ini.readInteger("P", "F", 1), 1);
        QCOMPARE(ini.readInteger("P", "G", 1), 1);
        QCOMPARE(ini.readInteger("P", "H", 1), 1);
        QCOMPARE(ini.readInteger("P", "I", 1), -1);
        QCOMPARE(ini.readInteger("P", "J", 1), 1);
    }

    void textIsReadUpTo2047Characters() {
        writeFile(path(), "[T]\nLong=" + QByteArray(3000, 'x') + "\n");
        ConfigFile ini(path());
        QCOMPARE(ini.readString("T", "Long", "").size(), 2047);
    }

    void writeReplacesInPlaceAndKeepsTheRest() {
        const QByteArray before = "; Korvane\r\n[Comunicacion]\r\nPuertoCom=0\r\n; keep me\r\n"
                                  "Otro=x\r\n\r\n[Extra]\r\nClave=1\r\n";
        writeFile(path(), before);
        ConfigFile ini(path());
        ini.writeInteger("comunicacion", "PUERTOCOM", 3);
        QByteArray expected = before;
        expected.replace("PuertoCom=0", "PUERTOCOM=3");
        QCOMPARE(readFile(path()), expected);
        QCOMPARE(ini.readInteger("Comunicacion", "PuertoCom", 0), 3);
    }

    void writeAddsMissingKeyAndSection() {
        writeFile(path(), "[Comunicacion]\nPuertoCom=0\n\n[Extra]\nClave=1\n");
        ConfigFile ini(path());
        ini.writeString("Comunicacion", "DB", "Si");
        ini.writeString("Alarmas", "Email", "a@b.c");
        QCOMPARE(readFile(path()), QByteArray("[Comunicacion]\nPuertoCom=0\nDB=Si\n\n[Extra]\n"
                                              "Clave=1\n\n[Alarmas]\nEmail=a@b.c\n"));
    }

    void newFileListsKeysInWriteOrder() {
        ConfigFile ini(path());
        ini.writeInteger("Comunicacion", "PuertoCom", 0);
        ini.writeInteger("Comunicacion", "BaudRate", 7);
        ini.writeString("BotonesMenu", "Boton1", "No");
        QCOMPARE(
            readFile(path()),
            QByteArray("[Comunicacion]\nPuertoCom=0\nBaudRate=7\n\n[BotonesMenu]\nBoton1=No\n"));
    }

    void windows1252FileSurvivesAReadWriteCycle() {
        // "°C" as the single byte 0xB0, an euro sign as 0x80, CRLF endings.
        const QByteArray before = "[Paneles]\r\nUnidad1=\xB0"
                                  "C\r\nUnidad2=\x80\r\nA1=1\r\n";
        writeFile(path(), before);
        ConfigFile ini(path());
        QCOMPARE(ini.readString("Paneles", "Unidad1", ""), QString::fromUtf8("°C"));
        QCOMPARE(ini.readString("Paneles", "Unidad2", ""), QString::fromUtf8("€"));
        ini.writeInteger("Paneles", "A1", 5);
        QByteArray expected = before;
        expected.replace("A1=1", "A1=5");
        QCOMPARE(readFile(path()), expected);
        ini.writeString("Paneles", "Unidad3", QString::fromUtf8("m³ ñ"));
        QVERIFY(readFile(path()).contains("Unidad3=m\xB3 \xF1\r\n"));
    }

    void utf8FileStaysUtf8() {
        writeFile(path(), "[Paneles]\nUnidad1=°C\n");
        ConfigFile ini(path());
        QCOMPARE(ini.readString("Paneles", "Unidad1", ""), QString::fromUtf8("°C"));
        ini.writeString("Paneles", "Unidad2", QString::fromUtf8("ºF"));
        QCOMPARE(readFile(path()), QByteArray("[Paneles]\nUnidad1=°C\nUnidad2=ºF\n"));
    }

    void failedWriteRaisesAndLeavesTheFile() {
        writeFile(path(), "[A]\nK=1\n");
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup);
        ConfigFile ini(path());
        try {
            ini.writeString("A", "K", "2");
            QFAIL("a read-only file was written");
        } catch (const AppError &e) {
            QCOMPARE(e.text(), QStringLiteral("Unable to write to %1").arg(path()));
        }
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(readFile(path()), QByteArray("[A]\nK=1\n"));

        ConfigFile nowhere(m_dir.path() + QStringLiteral("/no/such/dir/Config.ini"));
        QVERIFY_THROWS_EXCEPTION(AppError, nowhere.writeString("A", "K", "1"));
    }

    void fileWritableInAFolderThatIsNotIsWrittenInPlace() {
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/Config.ini");
        writeFile(file, "[Comunicacion]\nPuertoCom=0\n");
        asUserWithoutFolderRights(dir.path(), file, [&] {
            ConfigFile ini(file);
            ini.writeInteger("Comunicacion", "PuertoCom", 2);
            ini.writeAll({{"Comunicacion", "DB", "Si"}, {"Alarmas", "Alarma1", "1"}});
            QCOMPARE(ini.readInteger("Comunicacion", "PuertoCom", 0), 2);
        });
        QCOMPARE(readFile(file), QByteArray("[Comunicacion]\nPuertoCom=2\nDB=Si\n\n[Alarmas]\n"
                                            "Alarma1=1\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Config.ini"});
    }

    void writeAllIsOneWriteOfManyKeys() {
        const QByteArray before = "; planta 2\n[Comunicacion]\nBaudRate=3\n[Otra]\nX=1\n";
        writeFile(path(), before);
        const QList<ConfigFile::Entry> entries = {{"Comunicacion", "PuertoCom", "1"},
                                                  {"comunicacion", "BAUDRATE", "7"},
                                                  {"BotonesMenu", "Boton1", "Si"},
                                                  {"BotonesMenu", "Txt1", "Bomba"},
                                                  {"Comunicacion", "DB", "No"}};
        // The same as one write per key, in order.
        ConfigFile one(path());
        for (const auto &e : entries)
            one.writeString(e.section, e.key, e.value);
        const QByteArray keyByKey = readFile(path());
        writeFile(path(), before);
        ConfigFile all(path());
        all.writeAll(entries);
        QCOMPARE(readFile(path()), keyByKey);

        // A file that cannot be written is left whole.
        writeFile(path(), before);
        QFile::setPermissions(path(), QFile::ReadOwner);
        QVERIFY_THROWS_EXCEPTION(AppError, all.writeAll(entries));
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(readFile(path()), before);
    }

    void readsSeeWhatAnotherProgramWrote() {
        writeFile(path(), "[A]\nK=1\n");
        ConfigFile ini(path());
        QCOMPARE(ini.readInteger("A", "K", 0), 1);
        // Same size, written at once: still a different file.
        writeFile(path(), "[A]\nK=2\n");
        QCOMPARE(ini.readInteger("A", "K", 0), 2);
        QFile::remove(path());
        QCOMPARE(ini.readInteger("A", "K", 0), 0);
        writeFile(path(), "[A]\nK=3\n");
        QCOMPARE(ini.readInteger("A", "K", 0), 3);
    }

    void writingOneKeyNeverChangesHowAnotherReads() {
        // A Windows-1252 file whose only byte that is not valid UTF-8 is the
        // degree sign; the other value's bytes C3 A9 read "Ã©" in that code page.
        writeFile(path(), "[Comunicacion]\r\nRecordTime=\xC3\xA9\r\n[Paneles]\r\nUnidad1=\xB0"
                          "C\r\n");
        ConfigFile ini(path());
        const QString before = ini.readString("Comunicacion", "RecordTime", "");
        QCOMPARE(before, QString::fromUtf8("Ã©"));
        ini.writeString("Paneles", "Unidad1", "mm.");
        QCOMPARE(ini.readString("Comunicacion", "RecordTime", ""), before);
        // The next start reads it the same way.
        ConfigFile nextStart(path());
        QCOMPARE(nextStart.readString("Comunicacion", "RecordTime", ""), before);
        QCOMPARE(nextStart.readString("Paneles", "Unidad1", ""), QString("mm."));
        nextStart.writeString("Paneles", "Unidad1", QString::fromUtf8("°C"));
        QCOMPARE(ConfigFile(path()).readString("Comunicacion", "RecordTime", ""), before);
        QVERIFY(readFile(path()).endsWith("Unidad1=\xB0"
                                          "C\r\n"));
    }

    void firstOfDuplicateSectionsAndKeysCounts() {
        writeFile(path(), "[A]\nK=1\nK=2\n[A]\nK=3\n");
        ConfigFile ini(path());
        QCOMPARE(ini.readInteger("A", "K", 0), 1);
        ini.writeInteger("A", "K", 9);
        QCOMPARE(readFile(path()), QByteArray("[A]\nK=9\nK=2\n[A]\nK=3\n"));
    }
};

QTEST_GUILESS_MAIN(TstConfigFile)
#include "tst_config_file.moc"
