// SMAPI, portable part: what File > Send hands the mail client.
#pragma once

#include <string>
#include <vector>

struct MailDocuments {
    std::string delimiter;
    std::string paths;  // full paths joined by the delimiter
    std::string names;  // file names in the same order
};
// The document first, then its attached files. The delimiter is ";" unless a path or name holds
// one; then "|", which no Windows file name can hold.
MailDocuments mail_documents(const std::string& document, const std::vector<std::string>& attached_paths,
                             const std::vector<std::string>& attached_names);
