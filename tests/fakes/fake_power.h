#pragma once

#include "platform/exit_request.h"
#include "platform/privileges.h"
#include "platform/process_starter.h"
#include "platform/system_messages.h"
#include "platform/version_query.h"

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quelvo::test {

/// Answers version queries from a queue (the last answer repeats); counts the queries.
class FakeVersionQuery final : public VersionQuery
{
public:
    explicit FakeVersionQuery(std::optional<OsVersion> answer = std::nullopt) : m_answers{answer} {}

    [[nodiscard]] std::optional<OsVersion> query() const override
    {
        ++queries;
        const auto answer = m_answers.front();
        if (m_answers.size() > 1)
            m_answers.pop_front();
        return answer;
    }
    void answer(std::deque<std::optional<OsVersion>> answers) { m_answers = std::move(answers); }

    mutable int queries = 0;

private:
    mutable std::deque<std::optional<OsVersion>> m_answers;
};

/// Records every start; command lines in `missing` fail to start.
class FakeProcessStarter final : public ProcessStarter
{
public:
    StartResult start(const std::string& commandLine, int showWindow) override
    {
        log->push_back("run " + commandLine + " show " + std::to_string(showWindow));
        if (missing.contains(commandLine))
            return {false, "not found"};
        return {true, {}};
    }
    // Watched starts keep the report, for the test to give it.
    StartResult startWatched(const std::string& commandLine, int showWindow, int limitMs,
                             std::function<void(ProcessEnd)> report) override
    {
        StartResult result = start(commandLine, showWindow);
        waitedMs = limitMs;
        ended = std::move(report);
        result.watched = result.started;
        return result;
    }

    std::function<void(ProcessEnd)> ended;
    int waitedMs = 0;
    std::vector<std::string> ownLog;
    std::vector<std::string>* log = &ownLog; // may be shared to see the order across fakes
    std::set<std::string> missing;
};

/// Privilege and token calls that succeed unless told otherwise; each failure carries `lastError`.
class FakePrivileges final : public PrivilegeLookup, public TokenOperations
{
public:
    OsCall<PrivilegeId> lookupPrivilegeValue(const std::string& name) override
    {
        log->push_back("lookup " + name);
        if (failLookup)
            return {std::nullopt, lastError};
        return {id, 0};
    }
    OsCall<OsHandle> currentProcess() override
    {
        log->push_back("process");
        return {process, process == 0 ? lastError : 0};
    }
    OsCall<OsHandle> openProcessToken(OsHandle proc, std::uint32_t access) override
    {
        log->push_back("open " + std::to_string(proc) + " access " + std::to_string(access));
        if (failOpen)
            return {std::nullopt, lastError};
        return {token, 0};
    }
    OsCall<bool> adjustTokenPrivileges(OsHandle tok, PrivilegeId privilege, std::uint32_t attributes) override
    {
        log->push_back("adjust " + std::to_string(tok) + " id " + std::to_string(privilege.low) + ":" +
                       std::to_string(privilege.high) + " attributes " + std::to_string(attributes));
        if (failAdjust)
            return {false, lastError};
        return {true, 0};
    }
    void closeHandle(OsHandle tok) override { log->push_back("close " + std::to_string(tok)); }

    PrivilegeId id{19, 0};
    OsHandle process = 0xFFFF;
    OsHandle token = 77;
    bool failLookup = false;
    bool failOpen = false;
    bool failAdjust = false;
    std::uint32_t lastError = 5;
    std::vector<std::string> ownLog;
    std::vector<std::string>* log = &ownLog;
};

/// Records exit requests and answers with `result`.
class FakeExitRequester final : public ExitRequester
{
public:
    ExitResult requestExit(std::int32_t flags) override
    {
        log->push_back("exit " + std::to_string(flags));
        return result;
    }

    ExitResult result{true, 0, {}};
    std::vector<std::string> ownLog;
    std::vector<std::string>* log = &ownLog;
};

/// System texts from a table; codes not in it have none.
class FakeSystemMessages final : public SystemMessages
{
public:
    [[nodiscard]] std::string messageText(std::uint32_t code) const override
    {
        const auto it = texts.find(code);
        return it == texts.end() ? std::string() : it->second;
    }

    std::map<std::uint32_t, std::string> texts;
};

} // namespace quelvo::test
