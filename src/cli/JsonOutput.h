#pragma once

#include <QJsonObject>

// Prints one JSON document on stdout (the output of --json).
void PrintJson(const QJsonObject& document);
