#pragma once

#include <QStringList>

// What the tools dialog edits: the line-end choice and the F1 ... F10 macros.
struct ToolsRecord
{
    bool crlf = false;
    QStringList keyList;
};
