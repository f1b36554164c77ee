#include "h5reader.h"

QList<QByteArray> StringAttr::entries() const
{
    QList<QByteArray> out;
    for (hsize_t i = 0; i < count; ++i) {
        QByteArray slot = raw.mid(int(i * size), int(size));
        const int nul = slot.indexOf('\0');
        out.append(nul < 0 ? slot : slot.left(nul));
    }
    return out;
}

bool objectExists(hid_t file, const char *path)
{
    // Walk the path so that a missing parent is no error either.
    const QByteArray full(path);
    int from = 1;
    while (from <= full.size()) {
        int slash = full.indexOf('/', from);
        if (slash < 0)
            slash = full.size();
        if (H5Lexists(file, full.left(slash).constData(), H5P_DEFAULT) <= 0)
            return false;
        from = slash + 1;
    }
    return true;
}

StringAttr readStringAttr(hid_t object, const char *name)
{
    StringAttr a;
    if (H5Aexists(object, name) <= 0)
        return a;
    a.exists = true;
    const hid_t attr = H5Aopen(object, name, H5P_DEFAULT);
    const hid_t type = H5Aget_type(attr);
    const hid_t space = H5Aget_space(attr);
    a.variable = H5Tis_variable_str(type) > 0;
    a.size = H5Tget_size(type);
    a.pad = H5Tget_strpad(type);
    a.cset = H5Tget_cset(type);
    a.scalar = H5Sget_simple_extent_type(space) == H5S_SCALAR;
    a.count = hsize_t(H5Sget_simple_extent_npoints(space));
    if (!a.variable && H5Tget_class(type) == H5T_STRING) {
        a.raw.resize(int(a.count * a.size));
        H5Aread(attr, type, a.raw.data());
    }
    H5Sclose(space);
    H5Tclose(type);
    H5Aclose(attr);
    return a;
}

DatasetInfo datasetInfo(hid_t file, const char *path)
{
    DatasetInfo d;
    if (!objectExists(file, path))
        return d;
    d.exists = true;
    const hid_t ds = H5Dopen2(file, path, H5P_DEFAULT);
    const hid_t type = H5Dget_type(ds);
    d.typeClass = H5Tget_class(type);
    d.typeSize = H5Tget_size(type);
    d.order = H5Tget_order(type);
    d.isSigned = d.typeClass == H5T_INTEGER && H5Tget_sign(type) == H5T_SGN_2;
    const hid_t space = H5Dget_space(ds);
    const int rank = H5Sget_simple_extent_ndims(space);
    d.dims.resize(rank);
    d.maxDims.resize(rank);
    H5Sget_simple_extent_dims(space, d.dims.data(), d.maxDims.data());
    const hid_t plist = H5Dget_create_plist(ds);
    if (H5Pget_layout(plist) == H5D_CHUNKED) {
        d.chunk.resize(rank);
        H5Pget_chunk(plist, rank, d.chunk.data());
    }
    d.filterCount = H5Pget_nfilters(plist);
    for (int i = 0; i < d.filterCount; ++i) {
        unsigned int flags = 0;
        size_t nValues = 4;
        unsigned int values[4] = {};
        unsigned int config = 0;
        char filterName[64];
        if (H5Pget_filter2(plist, unsigned(i), &flags, &nValues, values, sizeof filterName,
                           filterName, &config) == H5Z_FILTER_DEFLATE)
            d.deflateLevel = nValues > 0 ? int(values[0]) : 0;
    }
    H5Pclose(plist);
    H5Sclose(space);
    H5Tclose(type);
    H5Dclose(ds);
    return d;
}

namespace {

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

QVector<double> readDoubles(hid_t file, const char *path)
{
    return readAll<double>(file, path, H5T_NATIVE_DOUBLE);
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

QVector<double> readDoubleAttr(hid_t object, const char *name, QVector<hsize_t> *dims, bool *isNativeDouble)
{
    QVector<double> out;
    if (H5Aexists(object, name) <= 0)
        return out;
    const hid_t attr = H5Aopen(object, name, H5P_DEFAULT);
    const hid_t type = H5Aget_type(attr);
    *isNativeDouble = H5Tequal(type, H5T_NATIVE_DOUBLE) > 0;
    const hid_t space = H5Aget_space(attr);
    const int rank = H5Sget_simple_extent_ndims(space);
    dims->resize(rank);
    H5Sget_simple_extent_dims(space, dims->data(), nullptr);
    out.resize(int(H5Sget_simple_extent_npoints(space)));
    H5Aread(attr, H5T_NATIVE_DOUBLE, out.data());
    H5Sclose(space);
    H5Tclose(type);
    H5Aclose(attr);
    return out;
}

bool readIntAttr(hid_t object, const char *name, int *value, bool *scalar)
{
    if (H5Aexists(object, name) <= 0)
        return false;
    const hid_t attr = H5Aopen(object, name, H5P_DEFAULT);
    const hid_t type = H5Aget_type(attr);
    const hid_t space = H5Aget_space(attr);
    *scalar = H5Sget_simple_extent_type(space) == H5S_SCALAR;
    const bool isInt = H5Tequal(type, H5T_NATIVE_INT) > 0;
    H5Aread(attr, H5T_NATIVE_INT, value);
    H5Sclose(space);
    H5Tclose(type);
    H5Aclose(attr);
    return isInt;
}

QList<TraceMarker> readMarkers(hid_t file)
{
    QList<TraceMarker> markers;
    if (!objectExists(file, "/markers"))
        return markers;
    struct Row { quint64 frame; double seconds; char text[64]; };
    const hid_t text = H5Tcopy(H5T_C_S1);
    H5Tset_size(text, 64);
    H5Tset_strpad(text, H5T_STR_NULLPAD);
    H5Tset_cset(text, H5T_CSET_UTF8);
    const hid_t type = H5Tcreate(H5T_COMPOUND, sizeof(Row));
    H5Tinsert(type, "frame", HOFFSET(Row, frame), H5T_NATIVE_UINT64);
    H5Tinsert(type, "seconds", HOFFSET(Row, seconds), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "text", HOFFSET(Row, text), text);
    const hid_t ds = H5Dopen2(file, "/markers", H5P_DEFAULT);
    const hid_t space = H5Dget_space(ds);
    QVector<Row> rows(int(H5Sget_simple_extent_npoints(space)));
    if (!rows.isEmpty())
        H5Dread(ds, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, rows.data());
    for (const Row &row : rows) {
        const QByteArray raw(row.text, 64);
        const int nul = raw.indexOf('\0');
        markers.append({row.frame, row.seconds, nul < 0 ? raw : raw.left(nul)});
    }
    H5Sclose(space);
    H5Dclose(ds);
    H5Tclose(type);
    H5Tclose(text);
    return markers;
}
