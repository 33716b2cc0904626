#include "options/completion.h"

#include <set>
#include <sstream>
#include <string_view>

#include "options/option_table.h"

namespace {

// The words a command line may begin an option with: "--name", "--name=" for one that takes a value,
// and "-x" for each letter. Written through a stream: appended to a string, GCC 12's Release build takes
// them for overlapping copies.
std::string OptionWords() {
  std::set<std::string> words;
  for (const Option& option : Options()) {
    std::ostringstream word;
    word << "--" << option.name << (option.value.empty() ? "" : "=");
    words.insert(word.str());
    for (const char letter : option.letters) {
      words.insert({'-', letter});
    }
  }
  std::ostringstream joined;
  for (const std::string& word : words) {
    joined << (joined.tellp() > 0 ? " " : "") << word;
  }
  return joined.str();
}

// A case for each option whose values are a fixed few.
std::string ChoiceCases() {
  std::ostringstream cases;
  for (const Option& option : Options()) {
    if (option.choices.empty()) {
      continue;
    }
    cases << "    --" << option.name << ") COMPREPLY=($(compgen -W '";
    for (const std::string_view choice : option.choices) {
      cases << (choice == option.choices.front() ? "" : " ") << choice;
    }
    cases << "' -- \"$word\")) ;;\n";
  }
  return cases.str();
}

}  // namespace

std::string BashCompletion() {
  return "# bash completion for cmdtail, made from its table of options.\n"
         "_cmdtail() {\n"
         "  local word=${COMP_WORDS[COMP_CWORD]} option=\n"
         "  # bash splits --color=al at its \"=\": the option is then one or two words back.\n"
         "  if [[ $word == = ]]; then\n"
         "    option=${COMP_WORDS[COMP_CWORD-1]} word=\n"
         "  elif [[ ${COMP_WORDS[COMP_CWORD-1]} == = ]]; then\n"
         "    option=${COMP_WORDS[COMP_CWORD-2]}\n"
         "  elif [[ $word == --*=* ]]; then\n"
         "    option=${word%%=*} word=${word#*=}\n"
         "  fi\n"
         "  case $option in\n" +
         ChoiceCases() +
         "    --encoding) COMPREPLY=($(compgen -W \"$(iconv -l 2>/dev/null | tr -s ', ' '\\n\\n' | "
         "sed 's|//$||')\" -- \"$word\")) ;;\n"
         "    --*) COMPREPLY=() ;;\n"
         "    *)\n"
         "      if [[ $word == -?* ]]; then\n"
         "        COMPREPLY=($(compgen -W '" +
         OptionWords() +
         "' -- \"$word\"))\n"
         "        [[ ${COMPREPLY[0]-} == *= ]] && compopt -o nospace\n"
         "      else\n"
         "        compopt -o filenames\n"
         "        COMPREPLY=($(compgen -f -- \"$word\"))\n"
         "      fi\n"
         "      ;;\n"
         "  esac\n"
         "}\n"
         "complete -F _cmdtail cmdtail cmdtail.exe\n";
}
