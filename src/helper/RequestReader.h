#pragma once

#include <string>
#include <string_view>
#include <vector>

// The helper's whole input language: the word "sample" on a line of its own. Anything else is
// refused rather than guessed at.
class RequestReader {
public:
    enum class Request { Sample, Invalid };

    // The complete requests among the bytes read so far; Invalid ends the conversation.
    std::vector<Request> feed(std::string_view bytes);

private:
    std::string m_pending;
};
