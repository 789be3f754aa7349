// Rows as a plain text table for a terminal: columns padded to their widest
// cell, two spaces apart, the first row the header.
#pragma once

#include <QList>
#include <QStringList>

QStringList textTable(const QList<QStringList> &rows);
