#pragma once

#include <exception>
#include <QString>

namespace tessaly {

// The error codes the program deals in, with the platform's standard descriptions.
namespace ErrorCode {
constexpr int InvalidCall = 5;
constexpr int Overflow = 6;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIO = 57;
constexpr int FileExists = 58;
constexpr int DiskFull = 61;
constexpr int DeviceUnavailable = 68;
constexpr int PermissionDenied = 70;
constexpr int DiskNotReady = 71;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
} // namespace ErrorCode

QString standardDescription(int code);

// A failure of an operation: a code and a description. Thrown by the operation that fails.
class RunTimeError : public std::exception {
public:
    explicit RunTimeError(int code);
    RunTimeError(int code, QString description);

    int code() const { return m_code; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_code;
    QString m_description;
    QByteArray m_what;
};

// Maps an errno of a file-system call to a RunTimeError. `onFolder` tells that the call
// failed on the folder itself (so ENOENT means "Path not found"), not on a file in it.
RunTimeError errnoError(int err, bool onFolder = false);

} // namespace tessaly
