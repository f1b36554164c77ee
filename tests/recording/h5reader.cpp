#include "h5reader.h"

namespace {

// Walks the path so that a missing parent is no error either.
bool objectExists(hid_t file, const char *path)
{
    const QByteArray full(path);
    for (int slash = full.indexOf('/', 1); ; slash = full.indexOf('/', slash + 1)) {
        if (H5Lexists(file, full.left(slash < 0 ? full.size() : slash).constData(), H5P_DEFAULT) <= 0)
            return false;
        if (slash < 0)
            return true;
    }
}

template <typename T>
QVector<T> readAll(hid_t file, const char *path, hid_t memType)
{
    QVector<T> out;
    if (!objectExists(file, path))
        return out;
    const hid_t ds = H5Dopen2(file, path, H5P_DEFAULT);
    const hid_t space = H5Dget_space(ds);
    out.resize(int(H5Sget_simple_extent_npoints(space)));
    if (!out.isEmpty())
        H5Dread(ds, memType, H5S_ALL, H5S_ALL, H5P_DEFAULT, out.data());
    H5Sclose(space);
    H5Dclose(ds);
    return out;
}

} // namespace

DatasetInfo datasetInfo(hid_t file, const char *path)
{
    DatasetInfo d;
    if (!objectExists(file, path))
        return d;
    d.exists = true;
    const hid_t ds = H5Dopen2(file, path, H5P_DEFAULT);
    const hid_t space = H5Dget_space(ds);
    d.dims.resize(H5Sget_simple_extent_ndims(space));
    H5Sget_simple_extent_dims(space, d.dims.data(), nullptr);
    H5Sclose(space);
    H5Dclose(ds);
    return d;
}

QVector<float> readFloats(hid_t file, const char *path)
{
    return readAll<float>(file, path, H5T_NATIVE_FLOAT);
}

QVector<qint16> readInt16s(hid_t file, const char *path)
{
    return readAll<qint16>(file, path, H5T_NATIVE_INT16);
}

QVector<quint64> readGaps(hid_t file)
{
    return readAll<quint64>(file, "/gaps", H5T_NATIVE_UINT64);
}

QList<TraceMarker> readMarkers(hid_t file)
{
    struct Row { quint64 frame; double seconds; char text[64]; };
    const hid_t text = H5Tcopy(H5T_C_S1);
    H5Tset_size(text, 64);
    H5Tset_strpad(text, H5T_STR_NULLPAD);
    H5Tset_cset(text, H5T_CSET_UTF8);
    const hid_t type = H5Tcreate(H5T_COMPOUND, sizeof(Row));
    H5Tinsert(type, "frame", HOFFSET(Row, frame), H5T_NATIVE_UINT64);
    H5Tinsert(type, "seconds", HOFFSET(Row, seconds), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "text", HOFFSET(Row, text), text);
    QList<TraceMarker> markers;
    for (const Row &row : readAll<Row>(file, "/markers", type))
        markers.append({row.frame, row.seconds, QByteArray(row.text, int(qstrnlen(row.text, 64)))});
    H5Tclose(type);
    H5Tclose(text);
    return markers;
}
