#include "core/names.h"

#include <climits>
#include <cstring>

namespace tessaly {

namespace {

// The length of the run of ASCII bytes that `data` starts with, eight bytes at a time.
qsizetype asciiRun(const char* data, qsizetype size)
{
    qsizetype i = 0;
    for (quint64 eight; i + 8 <= size; i += 8) {
        std::memcpy(&eight, data + i, sizeof eight);
        if (eight & 0x8080808080808080)
            break;
    }
    while (i < size && static_cast<unsigned char>(data[i]) < 0x80)
        ++i;
    return i;
}

} // namespace

bool isValidUtf8(const char* data, qsizetype size)
{
    const auto* s = reinterpret_cast<const unsigned char*>(data);
    qsizetype i = 0;
    while (i < size) {
        i += asciiRun(data + i, size - i);
        if (i == size)
            break;
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        char32_t min;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (size - i <= extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

FileEntry decodeFileName(const char* data, qsizetype size)
{
    if (asciiRun(data, size) == size) // most names: widened as they are
        return {QString::fromLatin1(data, size), {}};
    if (isValidUtf8(data, size))
        return {QString::fromUtf8(data, size), {}};
    return {QString::fromLatin1(data, size), true};
}

QByteArray encodePath(const QString& path)
{
    if (isExactName(path))
        return path.toUtf8(); // no lone surrogates stand for bytes: plain UTF-8
    QByteArray out;
    out.reserve(path.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path[i].unicode();
        if (u >= 0xDC80 && u <= 0xDCFF &&
            (i == 0 || !QChar::isHighSurrogate(path[i - 1].unicode()))) {
            out += QStringView(path).mid(start, i - start).toUtf8();
            out += char(u - 0xDC00);
            start = i + 1;
        }
    }
    out += QStringView(path).mid(start).toUtf8();
    return out;
}

bool appendUtf8(QByteArray& out, QStringView text)
{
    // Written in place: a UTF-16 unit takes at most three bytes.
    const qsizetype start = out.size();
    out.resize(start + text.size() * 3);
    const qsizetype written = writeUtf8(text, out.data() + start);
    out.resize(written < 0 ? start : start + written);
    return written >= 0;
}

qsizetype writeUtf8(QStringView text, char* out)
{
    // Names and log lines are mostly ASCII, taken four units at a time.
    char* o = out;
    const char16_t* u = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        while (i + 4 <= n) {
            quint64 four;
            std::memcpy(&four, u + i, sizeof four);
            if (four & 0xFF80FF80FF80FF80) // the same test in either byte order
                break;
            // The low bytes of the four lanes, side by side in the same order of significance:
            // stored in the machine's own byte order, they land in the units' order either way.
            const quint32 bytes = quint32((four & 0xFF) | (four >> 8 & 0xFF00) |
                                          (four >> 16 & 0xFF0000) | (four >> 24 & 0xFF000000));
            std::memcpy(o, &bytes, sizeof bytes);
            o += 4;
            i += 4;
        }
        if (i == n)
            break;
        const char32_t c = u[i];
        if (c < 0x80) {
            *o++ = char(c);
        } else if (c < 0x800) {
            *o++ = char(0xC0 | c >> 6);
            *o++ = char(0x80 | (c & 0x3F));
        } else if (!QChar::isSurrogate(c)) {
            *o++ = char(0xE0 | c >> 12);
            *o++ = char(0x80 | (c >> 6 & 0x3F));
            *o++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(u[i + 1])) {
            const char32_t p = QChar::surrogateToUcs4(char16_t(c), u[++i]);
            *o++ = char(0xF0 | p >> 18);
            *o++ = char(0x80 | (p >> 12 & 0x3F));
            *o++ = char(0x80 | (p >> 6 & 0x3F));
            *o++ = char(0x80 | (p & 0x3F));
        } else {
            return -1;
        }
    }
    return o - out;
}

QString decodePath(const QByteArray& bytes)
{
    if (isValidUtf8(bytes.constData(), bytes.size()))
        return QString::fromUtf8(bytes);
    // Decode the valid stretches as UTF-8 and carry every other byte as a lone surrogate.
    QString out;
    qsizetype i = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    while (i < bytes.size()) {
        const unsigned char c = s[i];
        int len = c < 0x80             ? 1
                  : (c & 0xE0) == 0xC0 ? 2
                  : (c & 0xF0) == 0xE0 ? 3
                  : (c & 0xF8) == 0xF0 ? 4
                                       : 0;
        if (len > 0 && i + len <= bytes.size() && isValidUtf8(bytes.constData() + i, len)) {
            out += QString::fromUtf8(bytes.constData() + i, len);
            i += len;
        } else {
            out += QChar(char16_t(0xDC00 + c));
            ++i;
        }
    }
    return out;
}

QByteArray FileEntry::bytes() const
{
    if (notUtf8)
        return name.toLatin1();
    QByteArray out;
    if (!appendUtf8(out, name))
        return name.toUtf8(); // a lone surrogate that no read made: UTF-8 has no form for it
    return out;
}

QString exactName(const FileEntry& entry)
{
    return entry.notUtf8 ? decodePath(entry.bytes()) : entry.name;
}

namespace {

struct UnitScan {
    bool slashOrNul = false;
    bool surrogate = false;
};

// One pass over a text's UTF-16 units, four at a time as one 64-bit word: (w - ones) & ~w
// sets a lane's top bit exactly when a word has a zero lane (the classic test for a zero byte,
// on 16-bit lanes), so the units sought are first turned into zeros.
UnitScan scanUnits(QStringView text)
{
    constexpr quint64 ones = 0x0001000100010001;
    const auto zeroLanes = [](quint64 four) { return (four - ones) & ~four; };
    quint64 slashOrNul = 0;
    quint64 surrogate = 0;
    const char16_t* units = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        quint64 four;
        std::memcpy(&four, units + i, sizeof four);
        slashOrNul |= zeroLanes(four) | zeroLanes(four ^ (ones * u'/'));
        // A surrogate's top five bits are 11011.
        surrogate |= zeroLanes((four & (ones * 0xF800)) ^ (ones * 0xD800));
    }
    UnitScan scan{(slashOrNul & (ones << 15)) != 0, (surrogate & (ones << 15)) != 0};
    for (; i < size; ++i) {
        scan.slashOrNul |= units[i] == u'/' || units[i] == 0;
        scan.surrogate |= QChar::isSurrogate(units[i]);
    }
    return scan;
}

} // namespace

bool isExactName(QStringView text)
{
    // Only lone surrogates stand for bytes; a pair is left to the slow way too, for a lone one
    // next to it may turn out to be part of a character.
    return !scanUnits(text).surrogate;
}

QString exactName(const QString& newName)
{
    return isExactName(newName) ? newName : decodePath(encodePath(newName));
}

bool NameBytes::setUtf8(QStringView text)
{
    m_long.clear();
    if (text.size() > NAME_MAX) { // longer than any file's name
        const bool utf8 = appendUtf8(m_long, text);
        m_size = m_long.size();
        return utf8;
    }
    const qsizetype written = writeUtf8(text, m_inline);
    m_size = std::max(written, qsizetype(0));
    m_inline[m_size] = '\0';
    return written >= 0;
}

void NameBytes::set(const QByteArray& bytes)
{
    m_long.clear();
    m_size = bytes.size();
    if (m_size > qsizetype(sizeof m_inline) - 1) {
        m_long = bytes;
        return;
    }
    std::memcpy(m_inline, bytes.constData(), size_t(m_size));
    m_inline[m_size] = '\0';
}

QByteArray NameBytes::bytes() const
{
    return QByteArray::fromRawData(m_long.isEmpty() ? m_inline : m_long.constData(), m_size);
}

namespace {

// A name that can name an entry of a folder but for its length: not empty, "." or "..", and
// without "/" or NUL, which would reach another folder or cut the name.
bool isBareText(const QString& name, const UnitScan& scan)
{
    return !name.isEmpty() && !(name.size() <= 2 && (name == u"." || name == u"..")) &&
           !scan.slashOrNul;
}

} // namespace

NewName::NewName(const QString& text) : m_text(text)
{
    if (!isBareText(text, scanUnits(text)))
        return;
    m_utf8 = m_bytes.setUtf8(text);
    if (!m_utf8) {
        // Lone surrogates stand for bytes that are not UTF-8, or for none at all: the text is
        // the one its bytes read back as, so that names given compare with names read.
        m_bytes.set(encodePath(text));
        m_text = decodePath(m_bytes.bytes());
    }
    m_valid = m_bytes.size() <= NAME_MAX;
}

NewNameCheck checkNewName(const QString& name)
{
    const UnitScan scan = scanUnits(name);
    // "/" and NUL bytes come only from those characters. A UTF-16 unit takes at most 3 bytes,
    // so only a long name needs encoding to know its length.
    const bool valid = isBareText(name, scan) &&
                       (name.size() * 3 <= NAME_MAX || encodePath(name).size() <= NAME_MAX);
    return {valid, !scan.surrogate};
}

bool isValidNewName(const QString& name)
{
    return checkNewName(name).valid;
}

FolderNames::FolderNames(QList<QString> names, bool foldsCase) : m_foldsCase(foldsCase)
{
    m_keys.reserve(names.size());
    if (!foldsCase) {
        m_names = std::move(names);
        for (const QString& name : std::as_const(m_names))
            m_keys.insert(name); // the names of one folder differ
        return;
    }
    // Where names that differ only in case meet, the first one stands for them.
    m_names.reserve(names.size());
    m_folded.reserve(names.size());
    for (const QString& name : std::as_const(names)) {
        m_folded.append(key(name));
        if (m_keys.insert(m_folded.constLast()))
            m_names.append(name);
        else
            m_folded.removeLast();
    }
}

void FolderNames::share(const FileEntry& entry)
{
    if (entry.notUtf8)
        return; // the folder holds such a name in another form
    const qsizetype i = indexOf(key(entry.name));
    if (i < 0 || m_names[i] != entry.name)
        return; // where names apart only in case meet, another spelling stands for it
    m_names[i] = entry.name;
    if (!m_foldsCase)
        m_keys.referTo(i, m_names[i]);
}

void FolderNames::share(qsizetype listed, const FileEntry& entry)
{
    if (m_foldsCase) {
        share(entry); // names apart only in case were merged: the places moved
        return;
    }
    if (entry.notUtf8)
        return; // the folder holds such a name in another form
    Q_ASSERT(m_names[listed] == entry.name);
    m_names[listed] = entry.name;
    m_keys.referTo(listed, m_names[listed]);
}

QString normalFolderPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    QStringList kept;
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    for (const QString& p : parts) {
        if (p == u".")
            continue;
        if (p == u"..") {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept.append(p);
    }
    return u'/' + kept.join(u'/');
}

QString parentFolder(const QString& path)
{
    const QString p = normalFolderPath(path);
    if (p.isEmpty() || p == u"/")
        return {};
    const qsizetype cut = p.lastIndexOf(u'/');
    return cut <= 0 ? QStringLiteral("/") : p.left(cut);
}

QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace tessaly
