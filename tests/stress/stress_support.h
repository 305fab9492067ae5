#pragma once

#include "ui_support.h"

#include <QApplication>
#include <QFile>

#include <fstream>
#include <functional>
#include <string>

namespace corvane::ui::testing {

// A field of /proc/self/status, in KiB; -1 where there is none.
inline long statusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ':'))
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

// How far the resident size peaked above where it stood before `work`, in
// KiB. The peak is reset first (clear_refs 5), so that earlier work does not
// hide growth; -1 where the kernel cannot tell.
inline long peakGrowthKiB(const std::function<void()>& work)
{
    std::ofstream("/proc/self/clear_refs") << "5" << std::flush;
    const long before = statusKiB("VmRSS");
    work();
    const long peak = statusKiB("VmHWM");
    return before < 0 || peak < 0 ? -1 : peak - before;
}

// head, then holes up to `size` bytes: a file of any size at no cost, that
// reads as NUL bytes past its head.
inline QString sparseFile(const QTemporaryDir& dir, const QString& name, const QByteArray& head, qint64 size)
{
    const QString path = writeFile(dir, name, head);
    if (size > head.size())
        QFile::resize(path, size);
    return path;
}

} // namespace corvane::ui::testing
