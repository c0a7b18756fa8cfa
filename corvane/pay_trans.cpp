// The payment library's one entry.
#include <cstring>
#include <exception>
#include <string>

#include "common/pay_contract.h"
#include "corvane/answers.h"
#include "corvane/client.h"
#include "platform/executable_path.h"

namespace {

// The program's folder: the one above the folder this library lies in.
std::string ProgramFolder() {
    return platform::ParentFolder(
        platform::ModuleFolder(reinterpret_cast<const void*>(&ProgramFolder)));
}

corvane::Client& TheClient() {
    static corvane::Client client(ProgramFolder() + "/dlllog(Quenla)");
    return client;
}

// Errs on the safe side: any request holding this text gets the smaller buffer's limit.
bool IsSettingsPush(const char* request) {
    static const std::string quoted = std::string("\"") + kSettingsPushType + "\"";
    return std::strstr(request, quoted.c_str()) != nullptr;
}

}  // namespace

extern "C" CORVANE_EXPORT int CORVANE_CALL payTrans(const char* request, char* response) {
    if (response == nullptr) return -1;
    if (request == nullptr) request = "";
    // A settings push comes with a 10,000-byte buffer, every other request with 6,000,000.
    std::size_t limit = IsSettingsPush(request) ? kMaxSettingsAnswerLength : kMaxAnswerLength;
    std::string answer;
    try {
        answer = TheClient().Handle(request);
    } catch (const std::exception& e) {
        answer = corvane::FailureAnswer(corvane::Failure::Internal, e.what());
    } catch (...) {
        answer = corvane::FailureAnswer(corvane::Failure::Internal);
    }
    if (answer.size() > limit)
        answer = corvane::FailureAnswer(corvane::Failure::TooLarge,
                                        std::to_string(answer.size()) + " bytes");
    std::memcpy(response, answer.data(), answer.size());
    response[answer.size()] = '\0';
    return 0;
}
