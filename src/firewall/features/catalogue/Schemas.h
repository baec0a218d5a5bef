// JSON Schemas (draft 2020-12, in the keywords that draft-04 validators read
// the same way) of the payload and answer tables.
#pragma once

#include <rapidjson/document.h>

#include <string>

#include "firewall/features/AnswerTable.h"
#include "firewall/features/PayloadTable.h"

namespace catalogue {

using Json = rapidjson::Value;
using Allocator = rapidjson::Document::AllocatorType;

constexpr char kSchemaDialect[] = "https://json-schema.org/draft/2020-12/schema";

std::string utf8(const wchar_t* text);
Json text(const wchar_t* value, Allocator& allocator);

// The schema of a request's payload; null payload (not read): a schema that
// takes anything.
Json payloadSchema(const Brenix::payload::RequestPayload* payload, Allocator& allocator);
// The schema of an answer's payload.
Json answerSchema(const Brenix::answer::Answer& answer, Allocator& allocator);

}  // namespace catalogue
