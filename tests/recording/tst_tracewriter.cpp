#include <QtTest>

#include "h5reader.h"
#include "hdf5tools.h"
#include "recording/metadataoverlay.h"
#include "recording/recordspace.h"
#include "recording/tracefilestate.h"
#include "recording/tracelayout.h"
#include "recording/tracerecording.h"
#include "recording/tracewriter.h"
#include "tracefixture.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

#include <memory>

Q_DECLARE_METATYPE(daqConfig)

namespace {

QByteArray fileBytes(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QDateTime startTime(QDate(2024, 4, 5), QTime(14, 7, 9));

// Text of a layout as h5dump shows it, without what depends on where and how well the
// chunks were stored, and without the datasets only the new writer adds. Empty when
// h5dump fails.
QString layoutText(const QString &fileName)
{
    QByteArray out;
    if (!runTool(QStringLiteral("h5dump"), {"-A", "-p", fileName}, 60000, &out).isEmpty())
        return QString();
    QStringList kept;
    int skipUntilIndent = -1;
    for (const QString &line : QString::fromUtf8(out).split('\n')) {
        const int indent = line.size() - line.trimmed().size();
        if (skipUntilIndent >= 0) {
            if (indent == skipUntilIndent && line.trimmed() == "}")
                skipUntilIndent = -1;
            continue;
        }
        if (line.contains("DATASET \"gaps\"") || line.contains("DATASET \"markers\"")) {
            skipUntilIndent = indent;
            continue;
        }
        if (!line.contains("SIZE ") && !line.contains("OFFSET ") && !line.startsWith("HDF5 \""))
            kept << line;
    }
    return kept.join('\n');
}

// Runs the writer test child: the same program with --writer-child.
QStringList childArguments(const QStringList &arguments)
{
    return QStringList{"--writer-child"} + arguments;
}

// The last number printed after `key` in a child's output.
quint64 lastValue(const QByteArray &output, const QByteArray &key)
{
    quint64 value = 0;
    for (const QByteArray &line : output.split('\n'))
        if (line.startsWith(key + ' '))
            value = line.mid(key.size() + 1).trimmed().toULongLong();
    return value;
}

MetadataOverlay::Extent extent(haddr_t address, H5FD_mem_t type, int btreeLevel, int size)
{
    MetadataOverlay::Extent e;
    e.address = address;
    e.type = type;
    e.bytes = QByteArray(size, char(address & 0x7f));
    if (btreeLevel >= 0)
        e.bytes.replace(0, 8, QByteArray("TREE\x01", 5) + char(btreeLevel) + QByteArray(2, '\0'));
    return e;
}

} // namespace

class tst_TraceWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void overlayCommitOrder_data();
    void overlayCommitOrder();
    void overlayKeepsLastWrite();
    void layoutMatchesTraceFile_data();
    void layoutMatchesTraceFile();
    void gapsAndMarkers_data();
    void gapsAndMarkers();
    void partialChunksReadBack();
    void everyWritePrefixIsReadable_data();
    void everyWritePrefixIsReadable();
    void writeFailureKeepsLastCommit_data();
    void writeFailureKeepsLastCommit();
    void fullDiskInPrivateMount();
    void queueFullIsReported();
    void killedWriterLeavesReadableFile();
    void recordSpace_data();
    void recordSpace();

private:
    struct Snapshot
    {
        QString file;
        quint64 committed;   // frames of the last finished commit
        quint64 appended;
        bool synced;         // taken after a sync, else after a write
        int commit;          // the commit under way, -1 between commits
    };
    int checkPowerLoss(const QList<Snapshot> &snapshots, const daqConfig &conf);

    std::unique_ptr<QTemporaryDir> dir;
};

void tst_TraceWriter::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void tst_TraceWriter::cleanup()
{
    TraceFileState::setTestHooks({});
    dir.reset();
    // Whatever the writer opened is closed once it has finished, failure or not.
    QCOMPARE(H5Fget_obj_count(H5F_OBJ_ALL, H5F_OBJ_ALL), ssize_t(0));
}

// Writes as "address type level size" (type s: superblock, b: B-tree, o: object header,
// h: heap), the committed end, and the groups a commit makes of them.
void tst_TraceWriter::overlayCommitOrder_data()
{
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<int>("committedEnd");
    QTest::addColumn<QString>("plan");

    QTest::newRow("first commit: all fresh") << QStringList{"0 s -1 96", "800 o -1 272", "96 b 0 544"} << 0
                                             << "fresh 0 96 800";
    QTest::newRow("split: fresh first, index from the root down")
        << QStringList{"9000 b 0 300", "100 b 0 50", "4096 b 2 50", "300 b 1 50", "700 b 0 50", "400 o -1 50",
                       "500 h -1 50", "0 s -1 96"}
        << 8192 << "fresh 9000 | 0 | 4096 | 300 | 100 500 700 | 400";
    QTest::newRow("no split: index with the superblock")
        << QStringList{"100 b 0 50", "4096 b 2 50", "300 b 1 50", "2064 o -1 272", "0 s -1 96"} << 8192
        << "fresh | 0 4096 300 100 | 2064";
    QTest::newRow("a header straddling the committed end is in place")
        << QStringList{"8000 o -1 400"} << 8192 << "fresh | 8000";
}

void tst_TraceWriter::overlayCommitOrder()
{
    QFETCH(QStringList, writes);
    QFETCH(int, committedEnd);
    QFETCH(QString, plan);

    MetadataOverlay overlay;
    for (const QString &w : writes) {
        const QStringList f = w.split(' ');
        const QHash<QString, H5FD_mem_t> types{{"s", H5FD_MEM_SUPER}, {"b", H5FD_MEM_BTREE},
                                               {"o", H5FD_MEM_OHDR}, {"h", H5FD_MEM_LHEAP},
                                               {"r", H5FD_MEM_GHEAP}};
        const MetadataOverlay::Extent e = extent(f[0].toULongLong(), types.value(f[1]), f[2].toInt(), f[3].toInt());
        overlay.write(e.address, e.type, e.bytes.constData(), size_t(e.bytes.size()));
    }
    const MetadataOverlay::CommitPlan result = overlay.commitPlan(haddr_t(committedEnd));
    QStringList groups{"fresh"};
    for (const MetadataOverlay::Extent *e : result.fresh)
        groups[0] += ' ' + QString::number(e->address);
    for (const auto &group : result.inPlace) {
        QStringList addresses;
        for (const MetadataOverlay::Extent *e : group)
            addresses << QString::number(e->address);
        groups << addresses.join(' ');
    }
    QCOMPARE(groups.join(" | "), plan);
}

// Overlapping writes and a raw write through the middle leave what writing them in
// order leaves; reads see the pending bytes over the file's.
void tst_TraceWriter::overlayKeepsLastWrite()
{
    MetadataOverlay overlay;
    overlay.write(10, H5FD_MEM_OHDR, QByteArray(20, 'a').constData(), 20);   // [10, 30)
    overlay.write(20, H5FD_MEM_OHDR, QByteArray(20, 'b').constData(), 20);   // [20, 40)
    overlay.write(0, H5FD_MEM_OHDR, QByteArray(15, 'c').constData(), 15);    // [0, 15)
    overlay.erase(25, 3);                                                     // raw data went to disk
    overlay.write(44, H5FD_MEM_BTREE, QByteArray(2, 'd').constData(), 2);
    QByteArray view(48, '.');
    overlay.patch(0, view.data(), size_t(view.size()));
    QCOMPARE(view, QByteArray("cccccccccccccccaaaaabbbbb...bbbbbbbbbbbb....dd.."));
    QCOMPARE(overlay.end(), haddr_t(46));
    QByteArray part(6, '.');
    overlay.patch(12, part.data(), size_t(part.size()));
    QCOMPARE(part, QByteArray("cccaaa"));
}

void tst_TraceWriter::layoutMatchesTraceFile_data()
{
    QTest::addColumn<int>("n16");
    QTest::addColumn<int>("n24");
    QTest::addColumn<int>("imus");
    QTest::addColumn<int>("aux");

    QTest::newRow("16-bit, IMU, AUX") << 3 << 0 << 1 << 2;
    QTest::newRow("24-bit and four IMUs") << 0 << 8 << 4 << 0;
    QTest::newRow("both ADC kinds") << 2 << 1 << 0 << 0;
}

// The same frames through the single-threaded reference writer and through TraceWriter
// give the same file, but for the chunks' sizes and places and the two added datasets.
void tst_TraceWriter::layoutMatchesTraceFile()
{
    QFETCH(int, n16);
    QFETCH(int, n24);
    QFETCH(int, imus);
    QFETCH(int, aux);
    const daqConfig conf = traceTestConfig(n16, n24, imus, aux, 1000);
    const int frames = 1300;
    const QByteArray data = traceTestFrames(conf, 0, frames);
    const auto *raw = reinterpret_cast<const uint8_t *>(data.constData());

    QDir(dir->path()).mkdir("old");
    const QString oldFile = traceFileName(dir->path() + "/old", startTime);
    QVERIFY(writeReferenceTrace(conf, oldFile, startTime, raw, frames));

    TraceWriter writer;
    QSignalSpy committed(&writer, &TraceWriter::committed);
    QSignalSpy finished(&writer, &TraceWriter::finished);
    const QString newFile = traceFileName(dir->path(), startTime);
    QString error;
    QVERIFY2(writer.start(conf, newFile, startTime, &error), qPrintable(error));
    QVERIFY(readTrace(newFile, conf).opened);   // readable from the start
    for (int done = 0; done < frames; done += 100)
        QVERIFY(writer.appendFrames(raw + done * conf.sampleSize, qMin(100, frames - done)));
    writer.finish();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(finished.at(0).at(1).toULongLong(), quint64(frames));
    QCOMPARE(writer.framesHandedOver(), quint64(frames));
    QCOMPARE(writer.framesCommitted(), quint64(frames));
    QCOMPARE(writer.queueFill(), 0.0);
    QVERIFY(!writer.isRecording());
    QVERIFY(!committed.isEmpty());
    QCOMPARE(committed.last().at(0).toULongLong(), quint64(frames));
    QCOMPARE(committed.last().at(1).toLongLong(), QFileInfo(newFile).size());

    const QString layout = layoutText(newFile);
    QVERIFY(layout.contains("DEFLATE { LEVEL 6 }"));
    QCOMPARE(layout, layoutText(oldFile));
    const TraceContents contents = readTrace(newFile, conf);
    QVERIFY2(contents.problem.isEmpty(), qPrintable(contents.problem));
    QCOMPARE(contents.frames, quint64(frames));
    QCOMPARE(readTrace(oldFile, conf).frames, quint64(frames));
}

void tst_TraceWriter::gapsAndMarkers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("stored");

    const QByteArray full(64, 'x');
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("UTF-8") << QByteArray("Ventil auf, 20 °C") << QByteArray("Ventil auf, 20 °C");
    QTest::newRow("exactly 64 bytes") << full << full;
    QTest::newRow("cut before a character that does not fit")
        << QByteArray(63, 'y') + "ä" << QByteArray(63, 'y');
    QTest::newRow("cut between characters") << QByteArray("ü").repeated(40) << QByteArray("ü").repeated(32);
}

void tst_TraceWriter::gapsAndMarkers()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, stored);
    const daqConfig conf = traceTestConfig(0, 2, 1, 0, 500);
    const QByteArray data = traceTestFrames(conf, 0, 300);
    const auto *raw = reinterpret_cast<const uint8_t *>(data.constData());

    TraceWriter writer;
    QSignalSpy finished(&writer, &TraceWriter::finished);
    const QString name = dir->path() + "/marks.h5";
    QString error;
    QVERIFY2(writer.start(conf, name, startTime, &error), qPrintable(error));
    QVERIFY(writer.appendFrames(raw, 100));
    QVERIFY(writer.addGap(100, 5, true));
    QVERIFY(writer.appendFrames(raw + 100 * conf.sampleSize, 100));
    QVERIFY(writer.addMarker(150, 0.3, text));
    QVERIFY(writer.addGap(200, 12, false));
    QVERIFY(writer.appendFrames(raw + 200 * conf.sampleSize, 100));
    writer.finish();
    QVERIFY(finished.wait(10000));

    const TraceContents contents = readTrace(name, conf);
    QVERIFY2(contents.problem.isEmpty(), qPrintable(contents.problem));
    QCOMPARE(contents.gaps, QVector<quint64>({100, 5, 1, 200, 12, 0}));
    QCOMPARE(contents.markers.size(), 1);
    QCOMPARE(contents.markers[0].frame, quint64(150));
    QCOMPARE(contents.markers[0].seconds, 0.3);
    QCOMPARE(contents.markers[0].text, stored);

    // The types as every reader sees them.
    QByteArray header;
    QVERIFY(runTool(QStringLiteral("h5dump"), {"-H", "-d", "/gaps", "-d", "/markers", name}, 60000, &header).isEmpty());
    const QString types = QString::fromUtf8(header).simplified();
    QVERIFY(types.contains("DATASET \"/gaps\" { DATATYPE H5T_STD_U64LE DATASPACE SIMPLE { ( 2, 3 ) / ( H5S_UNLIMITED, 3 ) }"));
    QVERIFY(types.contains("DATATYPE H5T_COMPOUND { H5T_STD_U64LE \"frame\"; H5T_IEEE_F64LE \"seconds\"; "
                          "H5T_STRING { STRSIZE 64; STRPAD H5T_STR_NULLPAD; CSET H5T_CSET_UTF8; CTYPE H5T_C_S1; } "
                          "\"text\"; } DATASPACE SIMPLE { ( 1 ) / ( H5S_UNLIMITED ) }"));
    const hid_t file = H5Fopen(name.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    QCOMPARE(datasetInfo(file, "/gaps").filterCount, 0);
    QCOMPARE(datasetInfo(file, "/markers").filterCount, 0);
    H5Fclose(file);
}

// Commits between blocks leave unfiltered full-size tail chunks among compressed ones;
// h5py reads them as transparently as the C library.
void tst_TraceWriter::partialChunksReadBack()
{
    const daqConfig conf = traceTestConfig(3, 0, 1, 2, 1000);
    const QString name = dir->path() + "/tails.h5";
    int frames = 0;
    {
        TraceRecording recording;
        QString error;
        QVERIFY2(recording.create(conf, name, startTime, &error), qPrintable(error));
        for (int block : {50, 400, 3, 37}) {
            const QByteArray data = traceTestFrames(conf, quint64(frames), block);
            recording.appendFrames(reinterpret_cast<const uint8_t *>(data.constData()), block);
            frames += block;
            QVERIFY(recording.writeChunks(false));
            QVERIFY(recording.commit());
        }
        QVERIFY(recording.close());
    }
    const TraceContents contents = readTrace(name, conf);
    QVERIFY2(contents.problem.isEmpty(), qPrintable(contents.problem));
    QCOMPARE(contents.frames, quint64(frames));

    // The expected values for h5py, as little-endian float32 and int16.
    const QByteArray all = traceTestFrames(conf, 0, frames);
    FrameConverter conv;
    conv.configure(conf);
    const auto *raw = reinterpret_cast<const uint8_t *>(all.constData());
    auto save = [&](const char *file, const void *values, int bytes) {
        QFile out(dir->path() + '/' + file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(static_cast<const char *>(values), bytes);
    };
    save("adc.bin", conv.adc16Values(raw, frames), frames * 6 * 4);
    save("imu.bin", conv.imuValues(raw, frames), frames * 6 * 4);
    save("aux.bin", conv.auxWords(raw, frames), frames * 2 * 2);

    const QString script = QStringLiteral(
        "import h5py, numpy, sys\n"
        "f = h5py.File(sys.argv[1], 'r')\n"
        "masks = set()\n"
        "for path, name, kind in (('adc/values', 'adc.bin', '<f4'), ('imu6/values', 'imu.bin', '<f4'),"
        " ('aux/values', 'aux.bin', '<i2')):\n"
        "    d = f[path]\n"
        "    want = numpy.fromfile(sys.argv[2] + '/' + name, dtype=kind).reshape(d.shape)\n"
        "    assert (d[:] == want).all(), path\n"
        "    masks |= {d.id.get_chunk_info(i).filter_mask for i in range(d.id.get_num_chunks())}\n"
        "print('masks', sorted(masks))\n");
    QByteArray out;
    const QString problem = runPython(script, {name, dir->path()}, &out);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(out.trimmed(), QByteArray("masks [0, 1]"));
}

void tst_TraceWriter::everyWritePrefixIsReadable_data()
{
    QTest::addColumn<daqConfig>("conf");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("commitEvery");
    QTest::addColumn<int>("snapshotFrom");   // frames appended before snapshots begin
    QTest::addColumn<bool>("rawWrites");     // also snapshot the chunk writes between commits
    QTest::addColumn<QStringList>("h5dumpOptions");
    QTest::addColumn<bool>("mixedGroups");   // some group of a commit has several writes

    QTest::newRow("every write") << traceTestConfig(3, 0, 1, 2, 1000) << 1200 << 240 << 0 << true
                                 << QStringList{"-o", "/dev/null"} << true;
    // Over 3000 one-row AUX chunks: that index grows a third level on the way.
    QTest::newRow("commits while the index deepens") << traceTestConfig(0, 0, 1, 1000, 1000) << 3800 << 200
                                                     << 3000 << false << QStringList{"-H", "-p"} << true;
}

// A kill at any moment leaves the file as one of these snapshots, taken after every
// physical write: each one opens with the default driver and h5dump and holds at least
// the frames of the last finished commit, every value as recorded. A power cut may also
// leave any part of the writes since the last sync: see checkPowerLoss.
void tst_TraceWriter::everyWritePrefixIsReadable()
{
    QFETCH(daqConfig, conf);
    QFETCH(int, frames);
    QFETCH(int, commitEvery);
    QFETCH(int, snapshotFrom);
    QFETCH(bool, rawWrites);
    QFETCH(QStringList, h5dumpOptions);
    QFETCH(bool, mixedGroups);

    QList<Snapshot> snapshots;
    TraceRecording recording;
    bool started = false;
    int commit = -1;   // the commit under way, -1 between commits
    int commits = 0;
    TraceFileState::TestHooks hooks;
    hooks.audit = true;
    hooks.afterWrite = [&](const QString &path, bool synced) {
        if (!started || recording.framesAppended() < quint64(snapshotFrom) || (commit < 0 && !rawWrites))
            return;
        const QString copy = dir->path() + QStringLiteral("/snap%1.h5").arg(snapshots.size(), 5, 10, QChar('0'));
        QVERIFY(QFile::copy(path, copy));
        snapshots.append({copy, recording.framesCommitted(), recording.framesAppended(), synced, commit});
    };
    TraceFileState::setTestHooks(hooks);

    const QString name = dir->path() + "/trace.h5";
    QString error;
    QVERIFY2(recording.create(conf, name, startTime, &error), qPrintable(error));
    started = true;
    for (int done = 0; done < frames; done += 40) {
        const QByteArray data = traceTestFrames(conf, quint64(done), 40);
        recording.appendFrames(reinterpret_cast<const uint8_t *>(data.constData()), 40);
        if (done == 400)
            recording.addGap(440, 3, true);
        if (done == 520)
            recording.addMarker(560, 0.56, "valve");
        QVERIFY(recording.writeChunks(false));
        if ((done + 40) % commitEvery == 0) {
            commit = commits++;
            QVERIFY(recording.commit());
            commit = -1;
        }
    }
    QCOMPARE(recording.fileState()->auditViolations(), quint64(0));
    QVERIFY(recording.close());
    QVERIFY(snapshots.size() > 10);

    const TraceContents final = readTrace(name, conf);
    QVERIFY2(final.problem.isEmpty(), qPrintable(final.problem));
    QCOMPARE(final.frames, quint64(frames));
    if (rawWrites)
        QCOMPARE(final.gaps.size(), 3);
    else
        QVERIFY(fileBytes(name).contains(QByteArray("TREE\x01\x02", 6)));   // a level-2 index node

    for (const Snapshot &s : snapshots) {
        const TraceContents c = readTrace(s.file, conf);
        QVERIFY2(c.opened, qPrintable(s.file));
        QVERIFY2(c.problem.isEmpty(), qPrintable(s.file + ": " + c.problem));
        QVERIFY2(c.frames >= s.committed && c.mostFrames <= s.appended,
                 qPrintable(QStringLiteral("%1: %2 frames, committed %3").arg(s.file).arg(c.frames).arg(s.committed)));
        QVERIFY(c.gaps == final.gaps.mid(0, c.gaps.size()));
        QVERIFY(c.markers.size() <= final.markers.size());
        const QString dump = runTool(QStringLiteral("h5dump"), h5dumpOptions + QStringList{s.file});
        QVERIFY2(dump.isEmpty(), qPrintable(s.file + ": " + dump));
    }
    const int powerCuts = checkPowerLoss(snapshots, conf);
    qInfo("%d files a power cut may leave checked", powerCuts);
    QVERIFY(mixedGroups ? powerCuts > 0 : powerCuts == 0);
}

// A power cut lands after a sync of a commit with any part of the next group's writes on
// disk, in any order: every such file is readable and holds the committed frames. Each
// write's bytes are what its snapshot changed over the one before.
int tst_TraceWriter::checkPowerLoss(const QList<Snapshot> &snapshots, const daqConfig &conf)
{
    int checked = 0;
    const QString image = dir->path() + "/powerloss.h5";
    for (int i = 0; i < snapshots.size(); ++i) {
        if (!snapshots[i].synced || snapshots[i].commit < 0)
            continue;
        int end = i + 1;   // the group's writes: up to the next sync
        while (end < snapshots.size() && !snapshots[end].synced && snapshots[end].commit == snapshots[i].commit)
            ++end;
        const int writes = end - i - 1;
        if (writes < 2 || writes > 8)
            continue;
        QByteArray before = fileBytes(snapshots[i].file);
        QList<QPair<int, QByteArray>> changes;   // (offset, bytes) of each write
        for (int w = i + 1; w < end; ++w) {
            const QByteArray after = fileBytes(snapshots[w].file);
            int from = 0;
            while (from < after.size() && from < before.size() && after[from] == before[from])
                ++from;
            int to = after.size();
            while (to > from && to <= before.size() && after[to - 1] == before[to - 1])
                --to;
            changes.append({from, after.mid(from, to - from)});
            before = after;
        }
        for (int subset = 1; subset < (1 << writes) - 1; ++subset) {
            QByteArray bytes = fileBytes(snapshots[i].file);
            for (int w = 0; w < writes; ++w)
                if (subset & (1 << w))
                    bytes.replace(changes[w].first, changes[w].second.size(), changes[w].second);
            QFile out(image);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
                return -1;
            out.close();
            const TraceContents c = readTrace(image, conf);
            if (!c.opened || !c.problem.isEmpty() || c.frames < snapshots[i].committed) {
                qWarning() << "power cut after" << snapshots[i].file << "with writes" << subset << c.problem;
                return -1;
            }
            ++checked;
        }
    }
    return checked;
}

void tst_TraceWriter::writeFailureKeepsLastCommit_data()
{
    QTest::addColumn<qint64>("sizeLimit");
    QTest::newRow("in the first chunks") << qint64(70 * 1024);
    QTest::newRow("after some commits") << qint64(400 * 1024);
    QTest::newRow("later") << qint64(1200 * 1024);
}

// A full disk stops the recording at once: failed(DiskFull) with the frames of the last
// good commit, which is exactly what the file then holds, and every handle is closed.
void tst_TraceWriter::writeFailureKeepsLastCommit()
{
    QFETCH(qint64, sizeLimit);
    TraceFileState::TestHooks hooks;
    hooks.sizeLimit = sizeLimit;
    TraceFileState::setTestHooks(hooks);
    const daqConfig conf = traceTestConfig(0, 8, 4, 0, 4000);
    const QByteArray data = traceTestFrames(conf, 0, 24000);
    const auto *raw = reinterpret_cast<const uint8_t *>(data.constData());

    TraceWriter writer;
    TraceWriter::Options options;
    options.commitEveryFrames = 1500;   // commits land among the chunk writes
    writer.setOptions(options);
    QSignalSpy failed(&writer, &TraceWriter::failed);
    QSignalSpy finished(&writer, &TraceWriter::finished);
    const QString name = dir->path() + "/full.h5";
    QString error;
    QVERIFY2(writer.start(conf, name, startTime, &error), qPrintable(error));
    int sent = 0;
    while (failed.isEmpty() && sent < 24000) {
        if (writer.appendFrames(raw + sent * conf.sampleSize, 400))
            sent += 400;
        QTest::qWait(5);
    }
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 10000);
    QCOMPARE(failed.at(0).at(0).value<TraceWriter::Failure>(), TraceWriter::DiskFull);
    QCOMPARE(failed.at(0).at(1).toString(), name);
    QCOMPARE(failed.at(0).at(2).toString(), QStringLiteral("the disk is full"));
    const quint64 safe = failed.at(0).at(3).toULongLong();
    QVERIFY(!writer.appendFrames(raw, 10));

    writer.finish();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(finished.at(0).at(1).toULongLong(), safe);
    const TraceContents contents = readTrace(name, conf);
    QVERIFY2(contents.problem.isEmpty(), qPrintable(contents.problem));
    QCOMPARE(contents.frames, safe);
    QCOMPARE(contents.mostFrames, safe);
    QVERIFY(QFileInfo(name).size() <= sizeLimit + 4096);
}

// The same on a real file system that fills up: a small tmpfs in a private mount
// namespace, written by a child process that must end with exit code 0.
void tst_TraceWriter::fullDiskInPrivateMount()
{
    const QString mountPoint = dir->path() + "/mnt";
    QVERIFY(QDir().mkpath(mountPoint));
    const QString child = QCoreApplication::applicationFilePath();
    const QString script = QStringLiteral("mount -t tmpfs -o size=1m tmpfs \"$1\" || exit 97; shift; exec \"$@\"");
    QStringList arguments = geteuid() == 0 ? QStringList{"-m"} : QStringList{"-r", "-m"};
    arguments << "sh" << "-c" << script << "sh" << mountPoint << child
              << childArguments({"fill", mountPoint + "/trace.h5", dir->path() + "/copy.h5"});
    QProcess process;
    process.start(QStringLiteral("unshare"), arguments);
    QVERIFY(process.waitForFinished(60000));
    const QByteArray output = process.readAllStandardOutput();
    if (process.exitCode() == 97 || (process.exitCode() != 0 && !output.contains("failed")))
        QSKIP(qPrintable("no private mount namespace here: " + process.readAllStandardError().left(200)));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             process.readAllStandardError().constData());
    QVERIFY2(output.contains("failed DiskFull"), output.constData());
    const quint64 safe = lastValue(output, "failed DiskFull");
    QCOMPARE(lastValue(output, "finished 0"), safe);
    QVERIFY2(safe > 0, output.constData());
    const TraceContents contents = readTrace(dir->path() + "/copy.h5", traceTestConfig(0, 8, 4, 0, 4000));
    QVERIFY2(contents.problem.isEmpty(), qPrintable(contents.problem));
    QCOMPARE(contents.frames, safe);
}

// A block the queue cannot take is refused and reported; what was accepted before is
// still written, and nothing more is taken.
void tst_TraceWriter::queueFullIsReported()
{
    const daqConfig conf = traceTestConfig(3, 0, 1, 2, 1000);   // 28-byte frames
    const QByteArray data = traceTestFrames(conf, 0, 20);
    const auto *raw = reinterpret_cast<const uint8_t *>(data.constData());
    TraceWriter writer;
    TraceWriter::Options options;
    options.queueSeconds = 0.005;   // five frames
    writer.setOptions(options);
    QSignalSpy failed(&writer, &TraceWriter::failed);
    QSignalSpy finished(&writer, &TraceWriter::finished);
    const QString name = dir->path() + "/queue.h5";
    QString error;
    QVERIFY2(writer.start(conf, name, startTime, &error), qPrintable(error));

    QVERIFY(writer.appendFrames(raw, 4));
    QVERIFY(!writer.appendFrames(raw + 4 * conf.sampleSize, 10));
    QVERIFY(!writer.appendFrames(raw + 4 * conf.sampleSize, 1));
    QCOMPARE(writer.framesHandedOver(), quint64(4));
    QVERIFY(failed.wait(5000));
    QCOMPARE(failed.at(0).at(0).value<TraceWriter::Failure>(), TraceWriter::QueueFull);
    QVERIFY(failed.at(0).at(3).toULongLong() <= 4);

    writer.finish();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(finished.at(0).at(1).toULongLong(), quint64(4));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(readTrace(name, conf).frames, quint64(4));
}

// A child records at the device's pace with slow commits and is killed (SIGKILL) at
// random moments, often inside a commit: h5py, h5dump and HDF5 open every file left
// behind, and it holds every frame up to about one second before the kill.
void tst_TraceWriter::killedWriterLeavesReadableFile()
{
    const int rate = 2000;
    const daqConfig conf = traceTestConfig(0, 8, 4, 0, rate);
    for (int round = 0; round < 5; ++round) {
        const QString name = dir->path() + QStringLiteral("/kill%1.h5").arg(round);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KESTROVA_COMMIT_DELAY_US", "15000");
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(),
                      childArguments({"stream", name, QString::number(rate)}));
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += process.readAllStandardOutput()).contains("committed"), 20000);
        const int delay = QRandomGenerator::global()->bounded(100, 2500);
        qInfo("round %d: kill after %d ms more", round, delay);
        QTest::qWait(delay);
        process.kill();
        QVERIFY(process.waitForFinished(10000));
        output += process.readAllStandardOutput();

        const quint64 committed = lastValue(output, "committed");
        const quint64 sent = lastValue(output, "sent");
        const TraceContents contents = readTrace(name, conf);
        QVERIFY2(contents.opened && contents.problem.isEmpty(), qPrintable(contents.problem));
        QVERIFY(contents.frames >= committed);
        QVERIFY(contents.mostFrames <= sent);
        QVERIFY2(sent - contents.frames <= quint64(1.5 * rate),
                 qPrintable(QStringLiteral("%1 frames sent, %2 in the file").arg(sent).arg(contents.frames)));
        const QString problem = readableByTools(name);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

void tst_TraceWriter::recordSpace_data()
{
    QTest::addColumn<qint64>("available");
    QTest::addColumn<bool>("canStart");
    QTest::addColumn<bool>("warn");

    // 8 x 24-bit and 4 IMUs at 4000 frames/s: 128 bytes a frame, about 554 kB/s.
    const daqConfig conf = traceTestConfig(0, 8, 4, 0, 4000);
    const qint64 perSecond = assessRecordSpace(0, conf).bytesPerSecond;
    const qint64 header = assessRecordSpace(0, conf).headerBytes;
    QCOMPARE(perSecond, qint64(128 * 4000 * 1.05) + 16 * 1024);
    QTest::newRow("nothing free") << qint64(0) << false << false;
    QTest::newRow("header only") << header << false << false;
    QTest::newRow("just under a second") << header + perSecond - 1 << false << false;
    QTest::newRow("one second") << header + perSecond << true << true;
    QTest::newRow("59 seconds") << header + 59 * perSecond << true << true;
    QTest::newRow("a minute") << header + 60 * perSecond << true << false;
}

void tst_TraceWriter::recordSpace()
{
    QFETCH(qint64, available);
    QFETCH(bool, canStart);
    QFETCH(bool, warn);
    const daqConfig conf = traceTestConfig(0, 8, 4, 0, 4000);
    const RecordSpace space = assessRecordSpace(available, conf);
    QCOMPARE(space.canStart, canStart);
    QCOMPARE(space.lessThanAMinute, warn);
    if (canStart)
        QVERIFY(space.secondsThatFit >= 1.0);
    // The folder under test has room; one that does not exist has none.
    QVERIFY(checkRecordSpace(dir->path(), conf).canStart);
    QVERIFY(!checkRecordSpace(dir->path() + "/missing/folder", conf).canStart);
}

// The child processes of the kill and full-disk tests.
//   stream <file> <rate>        records at the rate until killed, printing "sent N" after
//                               every step and "committed N" after every commit
//   fill <file> <copy>          records at 4000 frames/s until the disk is full, prints "failed KIND N"
//                               and "finished OK N", copies the file and exits
static int writerChild(const QStringList &args)
{
    const bool fill = args.value(0) == "fill";
    const int rate = fill ? 4000 : args.value(2).toInt();
    const daqConfig conf = traceTestConfig(0, 8, 4, 0, rate);
    const int step = rate * 30 / 1000;
    TraceWriter writer;
    QTextStream out(stdout);
    quint64 sent = 0;
    QTimer timer;
    QObject::connect(&writer, &TraceWriter::committed, [&](quint64 frames) { out << "committed " << frames << Qt::endl; });
    QObject::connect(&writer, &TraceWriter::failed, [&](TraceWriter::Failure kind, const QString &, const QString &, quint64 safe) {
        out << "failed " << QMetaEnum::fromType<TraceWriter::Failure>().valueToKey(kind) << ' ' << safe << Qt::endl;
        timer.stop();
        writer.finish();
    });
    QObject::connect(&writer, &TraceWriter::finished, [&](bool ok, quint64 frames) {
        out << "finished " << (ok ? 1 : 0) << ' ' << frames << Qt::endl;
        QCoreApplication::exit(!fill || QFile::copy(args.value(1), args.value(2)) ? 0 : 3);
    });
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const QByteArray frames = traceTestFrames(conf, sent, step);
        if (writer.appendFrames(reinterpret_cast<const uint8_t *>(frames.constData()), step))
            sent += quint64(step);
        out << "sent " << sent << Qt::endl;
    });
    QString error;
    if (!writer.start(conf, args.value(1), QDateTime::currentDateTime(), &error)) {
        out << "error " << error << Qt::endl;
        return 2;
    }
    timer.start(30);
    QTimer::singleShot(60000, [] { QCoreApplication::exit(4); });
    return QCoreApplication::exec();
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--writer-child") == 0)
        return writerChild(app.arguments().mid(2));
    tst_TraceWriter test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tracewriter.moc"
