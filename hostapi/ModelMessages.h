// The records that travel with the workflow models' notifications (PropertiesChanged,
// ValidationProblem, ModelReady, ModelNotReady). They are handed to observers by address through the
// subject manager; every pointer field is pointer-sized, so the layouts below hold for 64-bit builds.
#pragma once

#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrMessaging.h"

#include <cstddef>
#include <cstdint>

// Property ids 0 to 74, bit i of the pair of words for id i (word 0 holds ids 0 to 63).
struct ModelChangedIds
{
    uint64_t words[2];
};
static_assert(sizeof(ModelChangedIds) == 16);

// PropertiesChanged: the model whose properties changed and which ids changed.
struct ModelChangedRecord
{
    ISubject* source;
    ModelChangedIds changed;
};
static_assert(sizeof(ModelChangedRecord) == 24);
static_assert(offsetof(ModelChangedRecord, changed) == sizeof(void*));

// ValidationProblem: the model and the texts of the failed check, valid while the record is delivered.
struct ModelProblemRecord
{
    ISubject* source;
    IOrvString* title;
    IOrvString* message;
};
static_assert(sizeof(ModelProblemRecord) == 3 * sizeof(void*));
static_assert(offsetof(ModelProblemRecord, title) == sizeof(void*));
static_assert(offsetof(ModelProblemRecord, message) == 2 * sizeof(void*));

// ModelReady and ModelNotReady: the model alone.
struct ModelStatusRecord
{
    ISubject* source;
};
static_assert(sizeof(ModelStatusRecord) == sizeof(void*));
