// The libFuzzer entry of one reader, chosen by KELVO_FUZZ_READER.
#include "FuzzReaders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    SetUpFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TFuzzReader& reader = FuzzReader(QStringLiteral(KELVO_FUZZ_READER));
    RunFuzzReader(reader, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
