#include "core/runtimeerror.h"

#include <cerrno>
#include <cstring>

namespace tessaly {

QString standardDescription(int code)
{
    switch (code) {
    case ErrorCode::InvalidCall:
        return QStringLiteral("Invalid procedure call or argument");
    case ErrorCode::Overflow:
        return QStringLiteral("Overflow");
    case ErrorCode::BadFileName:
        return QStringLiteral("Bad file name or number");
    case ErrorCode::FileNotFound:
        return QStringLiteral("File not found");
    case ErrorCode::DeviceIO:
        return QStringLiteral("Device I/O error");
    case ErrorCode::FileExists:
        return QStringLiteral("File already exists");
    case ErrorCode::DiskFull:
        return QStringLiteral("Disk full");
    case ErrorCode::DeviceUnavailable:
        return QStringLiteral("Device unavailable");
    case ErrorCode::PermissionDenied:
        return QStringLiteral("Permission denied");
    case ErrorCode::DiskNotReady:
        return QStringLiteral("Disk not ready");
    case ErrorCode::PathFileAccess:
        return QStringLiteral("Path/File access error");
    case ErrorCode::PathNotFound:
        return QStringLiteral("Path not found");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

RunTimeError::RunTimeError(int code) : RunTimeError(code, standardDescription(code)) {}

RunTimeError::RunTimeError(int code, QString description)
    : m_code(code), m_description(std::move(description)),
      m_what(QByteArray::number(code) + ' ' + m_description.toUtf8())
{
}

RunTimeError errnoError(int err, bool onFolder)
{
    switch (err) {
    case EEXIST:
    case ENOTEMPTY:
        return RunTimeError(ErrorCode::FileExists);
    case ENOENT:
        return RunTimeError(onFolder ? ErrorCode::PathNotFound : ErrorCode::FileNotFound);
    case ENOTDIR:
        return RunTimeError(ErrorCode::PathNotFound);
    case ENAMETOOLONG:
    case EILSEQ:
        return RunTimeError(ErrorCode::BadFileName);
    case EACCES:
    case EPERM:
        return RunTimeError(ErrorCode::PermissionDenied);
    case EROFS:
    case EBUSY:
    case ETXTBSY:
        return RunTimeError(ErrorCode::PathFileAccess);
    case ENOSPC:
    case EDQUOT:
        return RunTimeError(ErrorCode::DiskFull);
    case EIO:
        return RunTimeError(ErrorCode::DeviceIO);
    case ENXIO:
    case ENODEV:
        return RunTimeError(ErrorCode::DeviceUnavailable);
    case ENOMEDIUM:
        return RunTimeError(ErrorCode::DiskNotReady);
    default:
        return RunTimeError(ErrorCode::PathFileAccess, QString::fromLocal8Bit(std::strerror(err)));
    }
}

} // namespace tessaly
