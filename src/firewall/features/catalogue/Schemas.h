// JSON Schemas of the payload and answer tables: "$schema" names draft
// 2020-12, and only keywords that draft-04 validators (RapidJSON's among them)
// read the same way are used: type, enum, minimum, maximum, pattern,
// properties, required, anyOf, maxProperties, with description and $comment
// as annotations. One reading differs: draft-04 takes "integer" for numbers
// written without a fraction only, as the module's payload classes do, where a
// 2020-12 validator also takes 1.0.
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
