// Keeps the texts of message boxes instead of showing them.
#pragma once

#include <string>
#include <vector>

#include "common/Notice.h"

namespace lesamo::test {

class RecordingNotice : public Notice {
public:
    void Show(const std::string& text, MessageIcon icon) override
    {
        texts.push_back(text);
        icons.push_back(icon);
    }
    std::vector<std::string> texts;
    std::vector<MessageIcon> icons;
};

}  // namespace lesamo::test
