// Writes the request catalogue from the module's request table and the
// feature tables: FOLDER\requests.json and FOLDER\schemas\<request>.json, both
// pretty-printed UTF-8 in a stable key order.
//
// usage: tarn_catalogue [FOLDER]   (default: the build's "catalogue" folder,
//                                   beside the "bin" folder of this program)
#include <windows.h>

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cstdio>
#include <string>

#include "firewall/TarnModuleImpl.h"
#include "firewall/features/RequestCatalogue.h"
#include "firewall/features/catalogue/Schemas.h"
#include "wrappers/ScopedHandle.h"

namespace {

using Brenix::catalogue::Entry;
using Brenix::catalogue::Form;
using catalogue::Json;
using catalogue::text;

std::wstring defaultFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder = folder.substr(0, folder.find_last_of(L"\\/"));  // ...\bin
  return folder.substr(0, folder.find_last_of(L"\\/")) + L"\\catalogue";
}

bool writeFile(const std::wstring& path, const Json& value) {
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
  writer.SetIndent(' ', 2);
  value.Accept(writer);
  const std::string body = std::string(buffer.GetString(), buffer.GetSize()) + "\n";
  Ledra::ScopedFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), body.data(), static_cast<DWORD>(body.size()), &written, nullptr) &&
         written == body.size();
}

// Removes the schemas of an earlier run, so that a request no longer in the
// table leaves none behind.
void clearSchemas(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.json").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do DeleteFileW((folder + L"\\" + data.cFileName).c_str());
  while (FindNextFileW(find, &data));
  FindClose(find);
}

const char* formName(Form form) {
  switch (form) {
    case Form::Plain:
      return "plain";
    case Form::Reply:
      return "reply";
    case Form::ReplyWhenRequested:
      return "reply when requested";
  }
  return "plain";
}

Json answerEntry(const Brenix::answer::Answer& answer, Form form, catalogue::Allocator& allocator) {
  Json entry(rapidjson::kObjectType);
  entry.AddMember("name", text(answer.name, allocator), allocator);
  entry.AddMember("form", rapidjson::StringRef(formName(form)), allocator);
  entry.AddMember("schema", catalogue::answerSchema(answer, allocator), allocator);
  return entry;
}

Json answersOf(const Entry& entry, catalogue::Allocator& allocator) {
  Json answers(rapidjson::kArrayType);
  if (entry.change != nullptr && entry.change->result.featureId != 0) {
    Json result = answerEntry(Brenix::answers::kChangeResult, Form::Plain, allocator);
    result.AddMember("feature_id", entry.change->result.featureId, allocator);
    result.AddMember("func_id", entry.change->result.functionId, allocator);
    answers.PushBack(result, allocator);
  }
  if (entry.refresh != nullptr)
    answers.PushBack(answerEntry(*entry.refresh->answer, Form::Plain, allocator), allocator);
  for (const auto& use : entry.answers) {
    if (use.answer != nullptr) answers.PushBack(answerEntry(*use.answer, use.form, allocator), allocator);
  }
  return answers;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring folder = argc > 1 ? argv[1] : defaultFolder();
  const std::wstring schemas = folder + L"\\schemas";
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW(schemas.c_str(), nullptr);
  clearSchemas(schemas);

  rapidjson::Document catalogue(rapidjson::kObjectType);
  auto& allocator = catalogue.GetAllocator();
  catalogue.AddMember("$comment",
                      "Generated from the module's request, payload and response tables; do not edit.",
                      allocator);
  catalogue.AddMember("module", "TarnModule", allocator);
  Json requests(rapidjson::kArrayType);

  size_t rowCount = 0;
  const Ledra::TarnModuleImpl::HandlerRow* rows = Ledra::TarnModuleImpl::handlerRows(rowCount);
  int failures = 0;
  for (size_t i = 0; i < rowCount; ++i) {
    const Entry* entry = Brenix::catalogue::find(rows[i].name);
    if (entry == nullptr) {
      std::fwprintf(stderr, L"tarn_catalogue: no catalogue entry for %ls\n", rows[i].name);
      ++failures;
      continue;
    }
    const auto* payload = Brenix::catalogue::payloadOf(*entry);
    Json request(rapidjson::kObjectType);
    request.AddMember("name", text(entry->name, allocator), allocator);
    request.AddMember("group", text(entry->group, allocator), allocator);
    request.AddMember(
        "subscription",
        rapidjson::StringRef(rows[i].kind == Ledra::TarnModuleImpl::SubscriptionKind::Plain ? "plain"
                                                                                            : "session"),
        allocator);
    request.AddMember(
        "send", rapidjson::StringRef(entry->send == Brenix::catalogue::Send::Request ? "request" : "publish"),
        allocator);
    if (payload == nullptr) {
      request.AddMember("payload", Json(), allocator);
    } else {
      request.AddMember("payload", catalogue::payloadSchema(payload, allocator), allocator);
    }
    request.AddMember("answers", answersOf(*entry, allocator), allocator);
    if (entry->componentMessage != nullptr) {
      Json messages(rapidjson::kArrayType);
      messages.PushBack(text(entry->componentMessage, allocator), allocator);
      request.AddMember("component_messages", messages, allocator);
    }
    if (entry->property != nullptr)
      request.AddMember("property", text(entry->property, allocator), allocator);

    rapidjson::Document schema;
    schema.CopyFrom(catalogue::payloadSchema(payload, schema.GetAllocator()), schema.GetAllocator());
    if (!writeFile(schemas + L"\\" + rows[i].name + L".json", schema)) {
      std::fwprintf(stderr, L"tarn_catalogue: cannot write the schema of %ls\n", rows[i].name);
      ++failures;
    }
    requests.PushBack(request, allocator);
  }
  catalogue.AddMember("requests", requests, allocator);
  if (!writeFile(folder + L"\\requests.json", catalogue)) {
    std::fwprintf(stderr, L"tarn_catalogue: cannot write %ls\\requests.json\n", folder.c_str());
    ++failures;
  }
  if (failures == 0) std::wprintf(L"%ls\\requests.json\n", folder.c_str());
  return failures == 0 ? 0 : 1;
}
