# Sourced by demo.sh and test.sh (from the project folder): installs what is needed,
# builds, and sets `private_network` to the command that enters a private network
# namespace. Only installing packages needs root: without it the namespace is made
# with `unshare -rn` (a user namespace), where the system allows that.
if [ "$(id -u)" -eq 0 ]; then
  ./scripts/install-deps.sh
  private_network=(unshare --net)
else
  echo "Not root: packages are not installed (run scripts/install-deps.sh as root once)"
  private_network=(unshare -rn)
fi
./scripts/build.sh
