// How the toolkit's modules make and free their records: zeroed on the heap,
// with every refusal going through the module's error reporter. Not
// installed: only the toolkit's own sources use it.
#pragma once

#include <cstdlib>

// A zeroed Record, or null after `report` when memory runs out.
template <typename Record>
Record* heap_record_new(void (*report)()) {
    auto* record = static_cast<Record*>(std::calloc(1, sizeof(Record)));
    if (!record) report();
    return record;
}

// The record, once `owned` (the block it owns) has been allocated; else the
// record is freed and null returned after `report`.
template <typename Record>
Record* heap_record_complete(Record* record, const void* owned, void (*report)()) {
    if (owned) return record;
    std::free(record);
    report();
    return nullptr;
}

// Frees what the record owns (through `free_owned`), then the record, and
// sets the caller's handle to null. A null handle pointer or handle is
// refused through `report`.
template <typename Record, typename FreeOwned>
void heap_record_delete(Record** handle, void (*report)(), FreeOwned free_owned) {
    if (!handle || !*handle) {
        report();
        return;
    }
    free_owned(**handle);
    std::free(*handle);
    *handle = nullptr;
}
