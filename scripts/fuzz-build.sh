# Sourced by the fuzzing scripts: builds every fuzz target into build-fuzz/ (clang, ASan+UBSan)
# and says where each target's inputs and dictionary are.
fuzz_targets=($(sed -n 's/^ *vorn_add_fuzzer(\(fuzz_[a-z0-9_]*\).*/\1/p' fuzz/CMakeLists.txt))
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_UNITY_BUILD=ON -DVORN_FUZZ=ON -DVORN_SANITIZE=address,undefined >/dev/null
cmake --build build-fuzz -j "$(nproc)" $(printf -- '--target %s ' "${fuzz_targets[@]}")

# The merged corpus (fuzz/corpus, grown by scripts/fuzz-merge.sh) and the hand-made and
# captured seeds (fuzz/seeds), whichever exist.
fuzz_inputs() {
    local dir
    for dir in "fuzz/corpus/$1" "fuzz/seeds/$1"; do
        [ -d "$dir" ] && echo "$dir"
    done
    return 0
}

# The -dict option of a target that has a dictionary (fuzz/dict): JSON's tokens and the
# target's own words, written under $2. Nothing for a target without one.
fuzz_dictionary() {
    local dictionary="$2/$1.dict"
    if [ -f "fuzz/dict/$1.dict" ]; then
        cat fuzz/dict/json.dict "fuzz/dict/$1.dict" >"$dictionary"
        echo "-dict=$dictionary"
    fi
    return 0
}
