// What each request of the module's request table is, for the request
// catalogue: its feature, how it is sent, the payload table its handler reads
// it with and the answers it can cause. Most of it is taken from the rows the
// handlers run by (HandlerRows.h), so the catalogue says what they do.
#pragma once

#include <cstddef>

#include "firewall/features/AnswerTable.h"
#include "firewall/features/HandlerSteps.h"
#include "firewall/features/PayloadTable.h"

namespace Brenix {
namespace catalogue {

// "request": the module answers with a reply to the requester, so a caller
// sends it as a bus request with a reply; "publish": a plain message.
enum class Send : unsigned char { Publish, Request };
// How an answer goes out: a plain message, a reply, or a reply when the
// request was sent as one (a plain message otherwise).
enum class Form : unsigned char { Plain, Reply, ReplyWhenRequested };

struct AnswerUse {
  const answer::Answer* answer;
  Form form;
};

struct Entry {
  const wchar_t* name;
  const wchar_t* group;  // a short title of the feature
  Send send;
  // The handler's rows: a change request gives the payload and the change
  // result; a group's refresh gives its answer.
  const ChangeRequest* change;
  const RefreshGroup* refresh;
  // The payload table of a request its handler reads otherwise (null: not read).
  const payload::RequestPayload* payload;
  AnswerUse answers[2];             // answers besides those of the rows (answer null: none)
  const wchar_t* componentMessage;  // what the component publishes for a list's refresh
  const wchar_t* property;          // the settings property it follows
};

// Every request of the request table; null for a name it does not know.
const Entry* find(const wchar_t* name);
// The payload table the entry's handler reads (null: the payload is not read).
const payload::RequestPayload* payloadOf(const Entry& entry);

}  // namespace catalogue
}  // namespace Brenix
