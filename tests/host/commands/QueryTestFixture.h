#pragma once
// A fresh scene per test, messages kept quiet, and the last result and
// error at hand: what the query command tests share.

#include "dg/Scene.h"
#include "dynamics/Dynamics.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class QueryFixture : public testing::Test
{
protected:
    using Kind = vxhost::CommandResult::Kind;

    void SetUp() override
    {
        vxhost::Scene::Get().Reset();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
    }
    void TearDown() override
    {
        vxhost::Scene::Get().Reset();
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }

    static bool Run(const std::string& script) { return vxhost::CommandEngine::Instance().RunScript(script); }
    static vxhost::CommandResult Last() { return vxhost::CommandEngine::Instance().LastResult(); }
    // Runs a statement that must succeed and return a string array.
    static std::vector<std::string> Strings(const std::string& statement)
    {
        EXPECT_TRUE(Run(statement)) << statement << ": " << LastError();
        EXPECT_EQ(Last().GetKind(), Kind::kStringArray) << statement;
        return Last().Strings();
    }
    static std::string LastError()
    {
        std::string text;
        for (const vxhost::Message& m : vxhost::Messages())
            if (m.severity == vxhost::Severity::kError)
                text = m.text;
        return text;
    }
};

using Names = std::vector<std::string>;
