// SPDX-License-Identifier: GPL-3.0-or-later
// The backups folder: what a backup holds, listing newest first, keeping the newest, never
// listing a half-written one, and opening one as an untitled document.
#include "temp_dir.h"

#include "files/backup_store.h"
#include "files/data_files.h"
#include "files/file_io.h"
#include "model/new_document.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace zt::test {
namespace {

namespace fs = std::filesystem;

struct Fixture {
    TempDir dir;
    AppState app;
    Document doc;
    RadioInfoRecord info;
    RadioImage image{};
    RadioInfoBlock block{}; // the radio's information area as read from it

    Fixture() {
        SetNewDocumentValues(app, doc, info, {2026, 12, 10});
        image.fill(0xFF);
        // Channels 1 and 3 in use.
        std::fill_n(image.begin() + addr::kUsedBitmap, addr::kBitmapSize, std::uint8_t{0});
        image[addr::kUsedBitmap] = 0x05;
        setSerial("SN-4711");
    }
    // The serial number in the radio's information area (0x30..0x3F).
    void setSerial(const std::string& serial) {
        block.fill(0xFF);
        std::copy(serial.begin(), serial.end(), block.begin() + 0x30);
        if (serial.size() < 16)
            block[0x30 + serial.size()] = 0x00;
    }
    BackupRadio radio() const { return {&block, "ZT-450E", "V300"}; }
    BackupStore store(int keep = BackupStore::kKeep) const { return BackupStore(dir.path("backups"), keep); }
};

TEST(BackupStore, KeepsImagePairAndInformationAndListsNewestFirst) {
    Fixture f;
    BackupStore store = f.store();
    EXPECT_TRUE(store.list().empty()) << "no folder yet is an empty list";

    DocumentCopy pair = f.doc.work;
    DecodeRadioImage(f.image, pair);
    const std::time_t t0 = 1'800'000'000;
    const auto first = store.keep(BackupKind::Read, f.image, pair, f.radio(), t0);
    ASSERT_TRUE(first);
    f.setSerial("");
    const auto second = store.keep(BackupKind::Write, f.image, pair, f.radio(), t0 + 60);
    ASSERT_TRUE(second);

    const auto all = store.list();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].folder, *second);
    EXPECT_EQ(all[0].kind, BackupKind::Write);
    EXPECT_EQ(all[0].serial, "");
    EXPECT_EQ(all[1].kind, BackupKind::Read);
    EXPECT_EQ(all[1].serial, "SN-4711");
    EXPECT_EQ(all[1].channelCount, 2);
    EXPECT_NE(fs::path(*first).filename().string().find("-read-SN-4711"), std::string::npos);
    EXPECT_EQ(all[1].date.size(), 10u);
    EXPECT_EQ(all[1].time.size(), 8u);

    // The image byte for byte; the pair opens as any data file does.
    const auto bytes = ReadFileBytes((fs::path(*first) / backup_file::kImage).string());
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(std::equal(bytes->begin(), bytes->end(), f.image.begin(), f.image.end()));
    LoadedPair loaded;
    EXPECT_EQ(ReadPair((fs::path(*first) / backup_file::kPair).string(), true, loaded), 0);
    EXPECT_EQ(loaded.settings.ChannelCount, 3) << "channels 1 and 3, and 481 always";
}

TEST(BackupStore, KeepsTheNewestAndNeverListsAnUnfinishedOne) {
    Fixture f;
    BackupStore store = f.store(3);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(store.keep(BackupKind::Read, f.image, f.doc.work, f.radio(), 1'800'000'000 + i));
    auto all = store.list();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_NE(all[0].folder.find("-read"), std::string::npos);

    // Interrupted backups: a hidden folder still being written, and a folder without its
    // description or with a short image. None is listed; the kept ones stay.
    fs::create_directories(fs::path(store.folder()) / ".partial-20261210-000000-read");
    const fs::path broken = fs::path(store.folder()) / "20261210-000001-read";
    fs::copy(all[0].folder, broken, fs::copy_options::recursive);
    fs::remove(broken / backup_file::kDescription);
    const fs::path shortImage = fs::path(store.folder()) / "20261210-000002-read";
    fs::copy(all[0].folder, shortImage, fs::copy_options::recursive);
    fs::resize_file(shortImage / backup_file::kImage, 100);
    EXPECT_EQ(store.list().size(), 3u);

    // Two in the same second do not overwrite each other.
    const auto a = store.keep(BackupKind::Write, f.image, f.doc.work, f.radio(), 1'900'000'000);
    const auto b = store.keep(BackupKind::Write, f.image, f.doc.work, f.radio(), 1'900'000'000);
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    EXPECT_EQ(store.list().size(), 3u);
}

// Writing many radios in a row: each radio keeps its newest read (the memory it held before it
// was written) however many backups came after it; older reads of a radio, writes and reads
// without a serial number go beyond the newest.
TEST(BackupStore, EachRadioKeepsItsNewestReadBeyondTheNewest) {
    Fixture f;
    BackupStore store = f.store(3);
    std::time_t t = 1'800'000'000;
    auto keep = [&](BackupKind kind, const std::string& serial) {
        f.setSerial(serial);
        const auto kept = store.keep(kind, f.image, f.doc.work, f.radio(), ++t);
        EXPECT_TRUE(kept);
        return kept.value_or("");
    };
    const std::string noSerial = keep(BackupKind::Read, "");
    const std::string firstOfRadio1 = keep(BackupKind::Read, "R1");
    for (const char* radio : {"R2", "R3", "R4"})
        keep(BackupKind::Read, radio);
    const std::string firstWrite = keep(BackupKind::Write, "R4");
    for (int i = 0; i < 3; ++i)
        keep(BackupKind::Write, "R4");
    const std::string againRadio1 = keep(BackupKind::Read, "R1");

    std::vector<std::string> kept;
    for (const BackupEntry& e : store.list())
        kept.push_back(e.serial + (e.kind == BackupKind::Read ? "-read" : "-write"));
    EXPECT_EQ(kept,
              (std::vector<std::string>{"R1-read", "R4-write", "R4-write", "R4-read", "R3-read", "R2-read"}));
    for (const std::string& gone : {noSerial, firstOfRadio1, firstWrite})
        EXPECT_FALSE(fs::exists(gone)) << gone;
    EXPECT_TRUE(fs::exists(againRadio1));
}

TEST(BackupStore, FolderThatCannotBeCreatedKeepsNothingAndSaysWhy) {
    Fixture f;
    f.dir.write("backups", std::string("a file where the folder should be"));
    BackupStore store = f.store();
    std::string error;
    EXPECT_FALSE(store.keep(BackupKind::Read, f.image, f.doc.work, f.radio(), 0, &error));
    EXPECT_NE(error.find("backups"), std::string::npos);
}

// Removing an old backup removes the files its manifest names, never what someone put in its
// folder; a folder without the manifest (someone's own, shaped like a backup or like an
// unfinished one, however old) is never touched.
TEST(BackupStore, PruningRemovesOnlyTheBackupsOwnFiles) {
    Fixture f;
    BackupStore roomy = f.store(10);
    BackupStore store = f.store(1);
    f.setSerial("");
    const auto old = roomy.keep(BackupKind::Read, f.image, f.doc.work, f.radio(), 1'800'000'000);
    const auto plain = roomy.keep(BackupKind::Write, f.image, f.doc.work, f.radio(), 1'800'000'010);
    ASSERT_TRUE(old && plain);
    const auto rel = [&](const fs::path& p) { return fs::relative(p, f.dir.path()).string(); };
    fs::create_directories(fs::path(*old) / "notes");
    f.dir.write(rel(fs::path(*old) / "notes" / "keep.txt"), "mine");
    f.dir.write(rel(fs::path(*plain) / "notes.txt"), "mine too");
    // A folder of the user's that looks like a backup, and one named like an unfinished one.
    const fs::path foreign = fs::path(store.folder()) / "20200101-000000-read";
    fs::copy(*old, foreign, fs::copy_options::recursive);
    fs::remove(foreign / backup_file::kManifest);
    const fs::path partial = fs::path(store.folder()) / ".partial-mine";
    fs::create_directories(partial);
    f.dir.write(rel(partial / "a.txt"), "x");
    fs::last_write_time(partial, fs::file_time_type::clock::now() - std::chrono::hours(5));

    ASSERT_TRUE(store.keep(BackupKind::Read, f.image, f.doc.work, f.radio(), 1'800'000'100));
    for (const auto& gone : {fs::path(*old), fs::path(*plain)}) {
        EXPECT_FALSE(fs::exists(gone / backup_file::kImage)) << gone;
        EXPECT_FALSE(fs::exists(gone / backup_file::kDescription)) << gone;
        EXPECT_FALSE(fs::exists(gone / backup_file::kManifest)) << gone;
    }
    EXPECT_EQ(f.dir.read(rel(fs::path(*old) / "notes" / "keep.txt")), "mine");
    EXPECT_EQ(f.dir.read(rel(fs::path(*plain) / "notes.txt")), "mine too");
    EXPECT_TRUE(fs::exists(foreign / backup_file::kImage));
    EXPECT_TRUE(fs::exists(foreign / backup_file::kDescription));
    EXPECT_EQ(f.dir.read(rel(partial / "a.txt")), "x");
    // The user's look-alike is listed (it is a complete backup) but never pruned.
    EXPECT_EQ(store.list().size(), 2u);
}

// Beyond the newest, a radio keeps both its newest read and its newest memory before a write;
// writes and restores are kept only among the newest.
TEST(BackupStore, EachRadioKeepsItsNewestMemoryBeforeAWrite) {
    Fixture f;
    BackupStore store = f.store(2);
    std::time_t t = 1'800'000'000;
    auto keep = [&](BackupKind kind) {
        const auto kept = store.keep(kind, f.image, f.doc.work, f.radio(), ++t);
        EXPECT_TRUE(kept);
        return kept.value_or("");
    };
    const std::string read = keep(BackupKind::Read);
    const std::string before1 = keep(BackupKind::BeforeWrite);
    const std::string before2 = keep(BackupKind::BeforeWrite);
    for (BackupKind k : {BackupKind::Write, BackupKind::Restore, BackupKind::BatchWrite})
        keep(k);
    std::vector<std::string> kinds;
    for (const BackupEntry& e : store.list())
        kinds.push_back(BackupKindText(e.kind));
    EXPECT_EQ(kinds, (std::vector<std::string>{"batch write", "restore", "before write", "read"}));
    EXPECT_FALSE(fs::exists(before1));
    EXPECT_EQ(store.newestMemory("SN-4711")->folder, before2);
    EXPECT_FALSE(store.newestMemory("SN-0000"));
    EXPECT_TRUE(fs::exists(read));
}

// A backup that cannot be written completely keeps nothing and names the file and the reason.
TEST(BackupStore, AFullDiskKeepsNothingAndSaysWhy) {
    Fixture f;
    BackupStore store = f.store();
    std::string error;
    const FileFaultHook previous = SetFileFaultHook([](FileStep s, const std::string& path) {
        return s == FileStep::Write && path.find("radio.fre") != std::string::npos ? ENOSPC : 0;
    });
    EXPECT_FALSE(store.keep(BackupKind::Read, f.image, f.doc.work, f.radio(), 0, &error));
    SetFileFaultHook(previous);
    EXPECT_NE(error.find("radio.fre: " + std::generic_category().message(ENOSPC)), std::string::npos)
        << error;
    EXPECT_TRUE(fs::is_empty(store.folder()));
}

TEST(BackupStore, OpensAsAnUntitledDocumentWithTheRadioInformation) {
    Fixture f;
    BackupStore store = f.store();
    std::string error;
    ASSERT_TRUE(KeepExchangeBackup(store, BackupKind::Read, f.image, f.doc, f.radio(), &error)) << error;

    Document other;
    RadioInfoRecord otherInfo;
    SetNewDocumentValues(f.app, other, otherInfo, {2026, 1, 1});
    f.app.DocFileName = "/somewhere/else.dat";
    f.app.IsUntitled = false;
    ASSERT_EQ(OpenBackup(f.app, other, otherInfo, store.list().at(0)), 0);
    EXPECT_EQ(f.app.DocFileName, "new.dat");
    EXPECT_TRUE(f.app.IsUntitled);
    EXPECT_EQ(other.work.settings.ChannelCount, 3);
    EXPECT_EQ(other.work.channels[1].ChannelNo, 3);
    EXPECT_EQ(otherInfo.SerialNumber.trimmed(), "SN-4711");

    // A backup whose pair is damaged is refused and changes nothing.
    const BackupEntry entry = store.list().at(0);
    f.dir.write("backups/" + fs::path(entry.folder).filename().string() + "/radio.dat", std::string("short"));
    const Document before = other;
    EXPECT_NE(OpenBackup(f.app, other, otherInfo, entry), 0);
    EXPECT_EQ(other.work.settings, before.work.settings);
}

// The information kept is what the radio says of itself (never the dates a new document makes
// up), and the backups of writes say which document they hold and whether it was verified.
TEST(BackupStore, KeepsTheRadiosOwnInformationAndTellsWritesApart) {
    Fixture f;
    BackupStore store = f.store();
    RadioInfoBlock block;
    block.fill(0xFF);
    auto put = [&](int at, const std::string& text) {
        std::copy(text.begin(), text.end(), block.begin() + at);
    };
    put(0x00, "0777");
    put(0x30, "ZT45000077");
    put(0x40, "2019-03-04");
    put(0x20, "07A1");
    const auto read = store.keep(BackupKind::Read, f.image, f.doc.work,
                                 BackupRadio{&block, "ZT-450E", "V300"}, 1'800'000'000);
    const auto written = store.keep(BackupKind::Write, f.image, f.doc.work, f.radio(), 1'800'000'100);
    const auto unchecked = store.keep(BackupKind::Write, f.image, f.doc.work, BackupRadio{}, 1'800'000'200);
    const auto failed = store.keep(BackupKind::Restore, f.image, f.doc.work, f.radio(), 1'800'000'300);
    ASSERT_TRUE(read && written && unchecked && failed);
    std::string error;
    ASSERT_TRUE(NoteBackupWrite(*written, "order 17.dat", BackupCheck::Verified, &error)) << error;
    ASSERT_TRUE(NoteBackupWrite(*unchecked, "club.dat", BackupCheck::NotChecked, &error)) << error;
    ASSERT_TRUE(NoteBackupWrite(*failed, "20261210-read", BackupCheck::Failed, &error)) << error;

    const std::string readInfo = f.dir.read("backups/" + fs::path(*read).filename().string() + "/info.ini");
    EXPECT_NE(readInfo.find("FactoryDate=2019-03-04"), std::string::npos) << readInfo;
    EXPECT_NE(readInfo.find("SalesArea=0777"), std::string::npos) << readInfo;
    EXPECT_EQ(readInfo.find("2026-12-10"), std::string::npos) << readInfo;
    // Without the radio's information area: no serial number and no texts at all, never ones
    // made up or taken from a document.
    const std::string writeInfo =
        f.dir.read("backups/" + fs::path(*unchecked).filename().string() + "/info.ini");
    EXPECT_EQ(writeInfo.find("SerialNumber"), std::string::npos) << writeInfo;
    EXPECT_EQ(writeInfo.find("Date"), std::string::npos) << writeInfo;
    EXPECT_EQ(writeInfo.find("SalesArea"), std::string::npos) << writeInfo;

    const auto all = store.list();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].kind, BackupKind::Restore);
    EXPECT_EQ(all[0].check, BackupCheck::Failed);
    EXPECT_STREQ(BackupCheckText(all[0].check), "no");
    EXPECT_EQ(all[1].document, "club.dat");
    EXPECT_EQ(all[1].check, BackupCheck::NotChecked);
    EXPECT_EQ(all[1].serial, "");
    EXPECT_EQ(all[2].document, "order 17.dat");
    EXPECT_EQ(all[2].check, BackupCheck::Verified);
    EXPECT_EQ(all[2].serial, "SN-4711");
    EXPECT_EQ(all[3].serial, "ZT45000077");
    EXPECT_EQ(all[3].salesArea, "0777");
    EXPECT_EQ(all[3].customerCode, "07A1");
    EXPECT_EQ(all[3].model, "ZT-450E");
    EXPECT_EQ(BackupIsoTime(all[3]).size(), 19u);
    EXPECT_EQ(all[3].check, BackupCheck::None);
    EXPECT_EQ(all[3].document, "");

    EXPECT_FALSE(NoteBackupWrite(f.dir.path("backups/gone"), "x.dat", BackupCheck::Differs, &error));
    EXPECT_NE(error.find("gone"), std::string::npos) << error;
}

} // namespace
} // namespace zt::test
