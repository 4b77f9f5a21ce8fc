# The JavaVMInitArgs that each tool name produces: version, two options exactly as the table
# writes them (Windows takes the class path as it is), unrecognized options ignored.
source "$(dirname "$0")/lib.sh"

header="JNI_CreateJavaVM version=0x00010006 nOptions=2 ignoreUnrecognized=1"
rows=(
  "Tamsel|-Djava.class.path=.;dorn.tamsel.jar|-Xgcpolicy:gencon -Xms100M"
  "Korvid|-Djava.class.path=.;dorn.korvidplan.jar|-Xms100M"
  "Brennick|-Djava.class.path=.;dorn.Brennick.JAR|-Xms100M"
  "Lusk|-Djava.class.path=.;dorn.stability.JAR|-Xms100M"
  "QUILLET|-Djava.class.path=.;DORN.QUILLET.JAR|-Xms100M"
  "Ferrow|-Djava.class.path=.;dorn.Ferrow.jar;|-Xms100M"
  "Wendal|-Djava.class.path=.;dorn.Wendal.jar;|-Xms100M"
  "DornFe|-Djava.class.path=.;dorn.fe.jar;|-Xms100M"
  "TestJNI|-Djava.class.path=.;|-Xms100M"
  "Debug|-Djava.class.path=.;dorn.debug.jar|-Xms100M"
  # Names that no row has: a key in another case, with a blank added, cut to a prefix.
  "quillet|-Djava.class.path=.|-Xms100M"
  "QUILLET |-Djava.class.path=.|-Xms100M"
  "QUILL|-Djava.class.path=.|-Xms100M"
  "Tamsel2|-Djava.class.path=.|-Xms100M"
)
for row in "${rows[@]}"; do
  IFS='|' read -r tool classpath heap <<<"$row"
  run "tool '$tool'" -- load init "$tool"
  expect_rc 0
  expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "host done"
  expect_log '^(JNI_CreateJavaVM|option)' "$header" "option 0 $classpath" "option 1 $heap"
done

run "no tool name" -- load init-null
expect_rc 0
expect_log '^(JNI_CreateJavaVM|option)' "$header" "option 0 -Djava.class.path=." "option 1 -Xms100M"

run "InitializeJVM" -- load init-plain Korvid
expect_rc 0
expect_line "InitializeJVM returned 0"
expect_log '^option 0' "option 0 -Djava.class.path=.;dorn.korvidplan.jar"

finish
