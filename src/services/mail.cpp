#include "services/mail.h"

#include "base/file.h"
#include "base/util.h"

MailDocuments mail_documents(const std::string& document, const std::vector<std::string>& attached_paths,
                             const std::vector<std::string>& attached_names) {
    std::vector<std::string> paths{document}, names{file_lower(file_name_part(document))};
    paths.insert(paths.end(), attached_paths.begin(), attached_paths.end());
    names.insert(names.end(), attached_names.begin(), attached_names.end());
    MailDocuments m;
    m.delimiter = ";";
    for (const auto* list : {&paths, &names})
        for (const auto& s : *list)
            if (s.find(';') != std::string::npos) m.delimiter = "|";
    m.paths = util_join(paths, "", m.delimiter);
    m.names = util_join(names, "", m.delimiter);
    return m;
}
