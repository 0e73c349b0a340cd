#include "cli/JsonOutput.h"

#include <QJsonDocument>
#include <cstdio>

void PrintJson(const QJsonObject& document) {
    const QByteArray text = QJsonDocument(document).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fflush(stdout);
}
